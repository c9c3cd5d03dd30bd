#include "BusinessKit.h"

#include "controls/skin/TQVButton.h"
#include "entity/EntityHelpers.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "forms/framework/TFrmApp.h"

#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScopeGuard>

namespace corvo::forms::business {

void showFirstTime(TFrmApp& form, bool& shown, const std::function<void()>& formShow)
{
    if (shown) return;
    shown = true;
    try {
        formShow();
    } catch (const std::exception& e) {
        form.ShowStatusText(e.what());
    }
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new skin::TQVButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    button->setFixedSize(75, 25);
    return button;
}

bool runGuardedSave(TFrmApp& form, const std::function<bool()>& save)
{
    form.ShowWaitCursor();
    const auto restore = qScopeGuard([&form] { form.ShowDefaultCursor(); });
    try {
        return save();
    } catch (const std::exception& e) {
        form.ShowStatusText(e.what());
        return false;
    }
}

bool FormFiles::exists(const std::string& name)
{
    return m_form.LocalFileExists(name);
}

bool FormFiles::load(const std::string& name, TClientDataSet& dataSet)
{
    return m_form.LoadLocalFile(name, dataSet);
}

void FormFiles::save(const std::string& name, TClientDataSet& dataSet)
{
    m_form.SaveLocalFile(name, dataSet);
}

QIcon treeImage(int index)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 0: // a folder: a group of modules
        painter.setPen(QColor(150, 110, 20));
        painter.setBrush(QColor(240, 200, 90));
        painter.drawRect(1, 4, 13, 10);
        painter.drawRect(1, 2, 6, 3);
        break;
    case 1: // the selected node: an open folder
        painter.setPen(QColor(40, 90, 160));
        painter.setBrush(QColor(150, 190, 240));
        painter.drawRect(1, 4, 13, 10);
        painter.setBrush(QColor(210, 230, 255));
        painter.drawPolygon(QPolygon({QPoint(3, 8), QPoint(15, 8), QPoint(13, 14), QPoint(1, 14)}));
        break;
    default: // a single module: a sheet
        painter.setPen(QColor(90, 90, 90));
        painter.setBrush(Qt::white);
        painter.drawRect(3, 1, 10, 14);
        painter.drawLine(5, 5, 11, 5);
        painter.drawLine(5, 8, 11, 8);
        painter.drawLine(5, 11, 9, 11);
        break;
    }
    return QIcon(pixmap);
}

std::string tableFlag(TFrmApp& form, const char* flag)
{
    TCustomEntity& master = form.registry().EntityByName(param::TMaster);
    if (!master.Active() || master.FieldCount() == 0) return {};
    TCustomEntity& tables = form.registry().EntityByName(param::TDictTable);
    if (!tables.Active() || !tables.FindRecord("Code", GetFirstFieldName(master))) return {};
    TField* field = tables.FindField(flag);
    return field ? field->AsString() : std::string();
}

} // namespace corvo::forms::business
