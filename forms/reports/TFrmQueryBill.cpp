#include "TFrmQueryBill.h"

#include "controls/TQueryControlList.h"
#include "controls/TTimeSpan.h"
#include "controls/TVelComboBox.h"
#include "entity/EntityHelpers.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "forms/rules/CollateRules.h"
#include "forms/rules/QueryPacket.h"
#include "forms/rules/StatementRules.h"
#include "internal/ReportConditions.h"
#include "platform/DataGrid.h"
#include "platform/GridPrinter.h"
#include "platform/QtText.h"
#include "remote/AppServers.h"

namespace corvo::forms {

TFrmQueryBill::TFrmQueryBill(QWidget* owner) : TFrmQueryCollate(owner)
{
    setObjectName(QStringLiteral("FrmQueryBill"));
}

TFrmQueryBill::~TFrmQueryBill() = default;

bool TFrmQueryBill::partnerSide()
{
    return IsPartnerSideModule(registry().EntityByName("TModule"), moduleName());
}

void TFrmQueryBill::FormShow()
{
    TFrmQueryCollate::FormShow();
    controls::TQueryControlList* list = queryControls();
    if (!list) return;
    if (list->HasControl("TOrganID")) {
        controls::TQueryControl& partner = list->ControlByName("TOrganID");
        partner.setChecked(true);
        internal::lockCondition(*this, partner);
        // A customer (a supplier from the partner's side) rather than the company itself.
        internal::choosePresetPartner(*this, partner, partnerSide() ? SupplierRole : CustomerRole);
    }
    if (list->HasControl("HappenDate")) {
        controls::TQueryControl& date = list->ControlByName("HappenDate");
        date.setChecked(true);
        internal::lockCondition(*this, date);
    }
}

std::string TFrmQueryBill::missingPartnerMessage()
{
    controls::TQueryControlList* list = queryControls();
    const std::string caption = list && list->HasControl("TOrganID")
                                    ? list->ControlByName("TOrganID").Caption().toStdString()
                                    : std::string();
    return MissingPartnerMessage(false, caption);
}

void TFrmQueryBill::BuildWhere()
{
    controls::TQueryControlList* list = queryControls();
    // Without the partner condition the lookup's own error tells what is missing.
    controls::TQueryControl& partner =
        list ? list->ControlByName("TOrganID") : throw Error("查询条件尚未建立");
    const std::vector<DictColumn> columns =
        selectedColumns(registry().EntityByName(param::TDictField), registry().LanguageColumn);
    const auto conditionOf = [list](const std::string& code) {
        return list->HasControl(code) ? list->ControlByName(code).GetCondition() : std::string();
    };
    const PartnerQuery query =
        PartnerClauses(columns, conditionOf, partnerSide(),
                       HasTotalField(registry().EntityByName(param::TMaster), "TOrganID"), owner(),
                       internal::chosenCode(partner), missingPartnerMessage());
    for (const std::string& clause : query.where)
        clauses().AddClause("where", clause);
    if (!query.packetOwner.empty())
        submitPacket().SetParamValue(param::TOwnerID, Variant(query.packetOwner));
}

// ---------------------------------------------------------------------------------------

TFrmQueryAccount::TFrmQueryAccount(QWidget* owner) : TFrmQueryBill(owner)
{
    setObjectName(QStringLiteral("FrmQueryAccount"));
}

TFrmQueryAccount::~TFrmQueryAccount() = default;

void TFrmQueryAccount::FormShow()
{
    TFrmQueryBill::FormShow();
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (master.Active() && master.FindField("DispOrder")) master.SortAsc("DispOrder", "Clear");
}

std::string TFrmQueryAccount::missingPartnerMessage()
{
    return MissingPartnerMessage(true, "");
}

bool TFrmQueryAccount::CallQuery1()
{
    return CallAppServer(remote::appserver::VerifyAccount,
                         remote::appserver::verify::AccountStatement);
}

void TFrmQueryAccount::AfterQuery()
{
    const int rows = ReadQueryReply(submitPacket(), registry(), ReplyKind::Master);
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (master.Active() && master.FindField("DispOrder")) master.SortAsc("DispOrder", "Clear");
    ShowStatusText(StatementReplyMessage(rows));
}

std::string TFrmQueryAccount::partnerName()
{
    controls::TQueryControlList* list = queryControls();
    if (!list || !list->HasControl("TOrganID")) return {};
    controls::TVelComboBox* box = internal::codeBox(list->ControlByName("TOrganID"));
    return box ? platform::toGbk(box->text()) : std::string();
}

std::string TFrmQueryAccount::closingBalance()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (!master.Active() || master.IsEmpty() || !master.FindField("Balance")) return {};
    const Bookmark here = master.GetBookmark();
    master.Last();
    const std::string balance = master.FieldByName("Balance").AsString();
    master.GotoBookmark(here);
    return balance;
}

std::string TFrmQueryAccount::periodText()
{
    controls::TQueryControlList* list = queryControls();
    if (!list || !list->HasControl("HappenDate")) return {};
    auto* span = dynamic_cast<controls::TTimeSpan*>(list->ControlByName("HappenDate").Editor());
    if (!span) return {};
    span->ClearTimes();
    return span->StartText() + " 至 " + span->EndText();
}

void TFrmQueryAccount::PrintCollated()
{
    if (refusePrintWithoutRows()) return;
    const std::string title = gbk::display(
        CollatePrintTitle(registry().EntityByName(param::TDictTable), masterTable(), moduleName()));
    const std::string partner = gbk::display(partnerName());
    const std::string period = periodText();
    std::string heading = title;
    if (!partner.empty()) heading = partner + " " + heading;
    if (!period.empty()) heading += "（" + period + "）";

    // The closing balance stands in the footer under the balance column.
    platform::PrintTable table = platform::PrintTable::fromGrid(dgeMaster());
    const std::string balance = closingBalance();
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    const QString balanceTitle =
        master.FindField("Balance")
            ? platform::fromGbk(master.FieldByName("Balance").DisplayLabel())
            : QString();
    bool placed = false;
    for (platform::PrintTable::Column& column : table.columns)
        if (!balanceTitle.isEmpty() && column.title == balanceTitle) {
            column.footer = QString::fromStdString(balance);
            placed = true;
        }
    if (!table.columns.empty())
        table.columns.front().footer =
            QStringLiteral("期末余额") +
            (placed ? QString() : QStringLiteral("：") + QString::fromStdString(balance));
    platform::PrintSetup setup;
    setup.title = QString::fromUtf8(heading);
    TCustomEntity* user = userRecord();
    const std::string preparer =
        user && user->Active() && user->FindField("Name") ? gbk::display(GetName(*user)) : "";
    setup.footerLeft = QStringLiteral("制表人：") + QString::fromUtf8(preparer);
    setup.footerCentre = QStringLiteral("第&[Page]页 共&[Pages]页");
    setup.footerRight = QStringLiteral("打印日期：&[LongDate] &[Time]");
    setup.titleFont = platform::printFont({QStringLiteral("黑体")}, 20, true);
    setup.bodyFont =
        platform::printFont({QStringLiteral("宋体"), QStringLiteral("WenQuanYi Zen Hei Mono")}, 11);
    setup.doubleLines = true;
    setup.fit = platform::PrintFit::ContentWidths;
    platform::GridPrinter(std::move(table), std::move(setup)).preview(this);
}

} // namespace corvo::forms
