#include "EntryForms.h"

#include "controls/skin/TQVButton.h"
#include "entity/EntityHelpers.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "forms/framework/TFrmApp.h"
#include "platform/DataGrid.h"
#include "platform/DataGridModel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScopeGuard>

namespace corvo::forms::internal {

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

LineButtons makeLineButtons(QWidget& band)
{
    auto* row = new QHBoxLayout(&band);
    row->setContentsMargins(4, 5, 0, 6);
    const LineButtons buttons{makeButton(&band, "mbtDetailAdd", "新清单"),
                              makeButton(&band, "mbtDetailDel", "删除"),
                              makeButton(&band, "mbtSubmit", "保存")};
    row->addStretch(1);
    row->addWidget(buttons.detailAdd);
    row->addWidget(buttons.detailDel);
    row->addStretch(1);
    row->addWidget(buttons.submit);
    return buttons;
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new skin::TQVButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    button->setFixedSize(75, 25);
    return button;
}

platform::DataGrid* makeLineGrid(QWidget* parent, const char* name)
{
    auto* grid = new platform::DataGrid(parent);
    grid->setObjectName(QLatin1String(name));
    grid->gridModel().setEditable(true);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    grid->setTabKeyNavigation(true);
    grid->verticalHeader()->setDefaultSectionSize(18);
    return grid;
}

std::string masterTable(TCustomEntityList& registry)
{
    TCustomEntity& master = registry.EntityByName("TMaster");
    return master.FieldCount() > 0 ? GetFirstFieldName(master) : std::string();
}

std::string tableFlag(TCustomEntityList& registry, const char* flag)
{
    const std::string table = masterTable(registry);
    TCustomEntity& tables = registry.EntityByName("TDictTable");
    if (table.empty() || !tables.Active() || !tables.FindField(flag) ||
        !tables.FindRecord("Code", table))
        return {};
    return tables.FieldByName(flag).AsString();
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

std::string answeredField(TFrmApp& form, const char* name, const char* field)
{
    TParamData& packet = form.submitPacket();
    if (!packet.ParamExists(name)) return {};
    TCustomEntity rows;
    rows.SetData(packet.GetParamData(name));
    if (!rows.Active() || rows.IsEmpty() || !rows.FindField(field)) return {};
    rows.First();
    return rows.FieldByName(field).AsString();
}

} // namespace corvo::forms::internal
