#include "TFrmApp.h"

#include "controls/TInputControlList.h"
#include "controls/TQueryControlList.h"
#include "controls/TSafeEdit.h"
#include "controls/TVelComboBox.h"
#include "controls/skin/TQVButton.h"
#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "forms/rules/NameCondition.h"
#include "forms/rules/SubmitPacket.h"
#include "internal/BottomBandLayout.h"
#include "internal/FormAdapters.h"
#include "platform/DataGrid.h"
#include "platform/Desktop.h"
#include "platform/QtText.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvo::forms {
namespace {

constexpr int TitleHeight = 32;
constexpr int BottomHeight = 36;
const QColor TitleColour(114, 155, 250); // 16423538 as blue-green-red

QFrame* panel(QWidget* parent, const char* name)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    return frame;
}

} // namespace

TFrmApp::TFrmApp(QWidget* owner)
    : TFrmBase(owner), m_submitPacket(std::make_unique<TParamData>(paramkind::Data)),
      m_translations(std::make_unique<TCustomEntity>())
{
    registry().AddEntities(
        {"TMaster", "Temp", "TScbTemp", "TDictFieldTemp", "TDbgTemp", "TLtbTemp"});
    m_formKey = NewGUIDString();
    if (TCustomEntity* user = userRecord(); user && user->Active() && user->FindField("TOwnerID"))
        m_owner = user->FieldByName("TOwnerID").AsString();
    LoadLocalFile("TMultiLang", *m_translations);
    m_submitPacket->SetParamValue(param::AppName, Variant(param::AppNameValue));
    m_submitPacket->SetParamValue(param::TOwnerID, Variant(m_owner));
    buildLayout();
}

TFrmApp::~TFrmApp() = default;

void TFrmApp::buildLayout()
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_background = panel(this, "pnlBackground");
    outer->addWidget(m_background);
    auto* column = new QVBoxLayout(m_background);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_titleBand = panel(m_background, "pnlTitle");
    m_titleBand->setFixedHeight(TitleHeight);
    m_titleBand->setAutoFillBackground(true);
    QPalette band = m_titleBand->palette();
    band.setColor(QPalette::Window, TitleColour);
    m_titleBand->setPalette(band);
    m_title = new QLabel(m_titleBand);
    m_title->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont(QStringList{QStringLiteral("方正姚体")} + platform::chineseFontFamilies());
    titleFont.setPixelSize(19);
    titleFont.setItalic(true);
    m_title->setFont(titleFont);
    QPalette white = m_title->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    m_title->setPalette(white);
    m_title->move(8, 4);
    // The label grows taller than the band with a title; its text stays at the top.
    m_title->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    column->addWidget(m_titleBand);

    m_client = panel(m_background, "pnlClient");
    column->addWidget(m_client, 1);

    m_bottom = panel(m_background, "pnlBottom");
    m_bottom->setFixedHeight(BottomHeight);
    m_bottomLeft = panel(m_bottom, "pnlBottomLeft");
    m_bottomMiddle = panel(m_bottom, "pnlBottomMiddle");
    m_bottomRight = panel(m_bottom, "pnlBottomRight");
    // On a narrow screen the left and middle parts give way; "关闭" stays in view.
    new internal::BottomBandLayout(*m_bottom, *m_bottomLeft, *m_bottomMiddle, *m_bottomRight);
    m_close = new skin::TQVButton(QStringLiteral("关闭"), m_bottomRight);
    m_close->setObjectName(QStringLiteral("mbtClose"));
    m_close->setGeometry(8, 6, 75, 25);
    m_close->setAutoDefault(false);
    connect(m_close, &QPushButton::clicked, this, &TFrmApp::closeClicked);
    column->addWidget(m_bottom);
}

void TFrmApp::RenewFormKey()
{
    m_formKey = NewGUIDString();
}

void TFrmApp::setHost(QWidget* mainWindow, QLabel* messageLine, QLabel* statusLabel)
{
    m_host = mainWindow;
    m_messageLine = messageLine;
    m_statusLabel = statusLabel;
}

void TFrmApp::closeClicked()
{
    m_resultFlag = 0;
    if (m_host)
        platform::postMessage1124(m_host);
    else
        close();
}

void TFrmApp::SetFormTitle(const std::string& text)
{
    if (text.empty()) {
        m_titleBand->hide();
        return;
    }
    m_title->setText(platform::fromUtf8(text));
    m_title->adjustSize();
    m_title->resize(m_title->width(), m_title->height() + 50);
    m_titleBand->show();
}

std::vector<DictColumn> TFrmApp::selected()
{
    return selectedColumns(registry().EntityByName("TDictField"), registry().LanguageColumn);
}

// Hooks: the base behaviour.

std::string TFrmApp::EncodeUserPassword(const std::string&, const std::string&)
{
    return {};
}

void TFrmApp::BuildBaseCondition() {}

void TFrmApp::LoadSelectedMaster() {}

void TFrmApp::PrepareDetail(TCustomEntity&) {}

void TFrmApp::BuildDetailList(platform::DataGrid& grid)
{
    const std::string table = GetFirstFieldName(registry().EntityByName("TMaster")) + "List";
    registry().BuildGridEntity(table, "TDetail", grid);
    SizeGridColumns(grid);
}

bool TFrmApp::BeforeSubmit()
{
    return true;
}

bool TFrmApp::FillSubmitPacket()
{
    FillMasterPacket(*m_submitPacket, registry());
    return true;
}

bool TFrmApp::ResetSubmitPacket()
{
    m_submitPacket->EmptyDataSet();
    return true;
}

bool TFrmApp::AfterSubmit()
{
    LoadAnsweredMaster(*m_submitPacket, registry());
    return true;
}

void TFrmApp::ReportSubmitDone() {}

bool TFrmApp::UpdateLocalCopy()
{
    internal::FormStore store(*this);
    UpdateLocalTable(registry(), store);
    return true;
}

void TFrmApp::QueryDetailOfMaster(TCustomEntity& master)
{
    registry().EntityByName("TDetailQuery").FilterEqual("ParentID", GetObjID(master));
}

void TFrmApp::ShowStatusText(const std::string& text)
{
    if (!m_messageLine) return;
    m_messageLine->setVisible(true);
    m_messageLine->setText(platform::fromUtf8(text));
    m_messageLine->repaint();
    platform::notifyMessageChanged(m_messageLine);
}

namespace {

/// The entry the box's text names now: the box's own choice lags behind the typing (an
/// emptied box still holds the entry it showed), so the text decides. Empty when the text
/// names no entry; a box that is not strict takes any text as its code.
QString typedChoice(const controls::TVelComboBox& box)
{
    const QString typed = box.text().trimmed();
    if (typed.isEmpty()) return {};
    const auto names = [&typed](const controls::TItemField& item) {
        for (const QString* text : {&item.Ime1Text, &item.Ime2Text, &item.DisplayText})
            if (text->compare(typed, Qt::CaseInsensitive) == 0) return true;
        return false;
    };
    controls::TItemField item;
    QString first;
    for (int i = 0; i < box.ItemCount(); ++i) {
        box.GetItem(i, item);
        if (!names(item)) continue;
        // The entry chosen from the list wins over another of the same name.
        if (item.InnerCode == box.InnerCode()) return item.InnerCode;
        if (first.isEmpty()) first = item.InnerCode;
    }
    if (!first.isEmpty()) return first;
    return box.Strict() ? QString() : typed;
}

} // namespace

void TFrmApp::BuildNameCondition(QWidget& editor)
{
    const QString name = editor.objectName();
    const std::string field = platform::toGbk(name.mid(3));
    TCustomEntity& master = registry().EntityByName("TMaster");
    std::string filter;
    if (auto* box = qobject_cast<controls::TVelComboBox*>(&editor))
        filter = nameConditionFilter(master.Filter(), field, NameEditor::VelCombobox,
                                     platform::toGbk(typedChoice(*box)));
    else if (auto* edit = qobject_cast<QLineEdit*>(&editor))
        filter = nameConditionFilter(master.Filter(), field, NameEditor::SafeEdit,
                                     platform::toGbk(edit->text()));
    else
        return;
    master.SetFiltered(false);
    master.SetFilter(filter);
    master.SetFiltered(true);
    AfterMasterFilter(master);
}

void TFrmApp::AfterMasterFilter(TCustomEntity&) {}

} // namespace corvo::forms
