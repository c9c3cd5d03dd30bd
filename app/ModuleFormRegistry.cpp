#include "ModuleFormRegistry.h"

#include "entity/EntityHelpers.h"
#include "entity/TCustomEntityList.h"
#include "forms/business/BusinessForms.h"
#include "forms/documents/DocumentForms.h"
#include "forms/documents/SizeDocumentForms.h"
#include "forms/framework/TFrmList.h"
#include "forms/reports/ReportForms.h"
#include "platform/DataGrid.h"
#include "platform/Modal.h"
#include "shell/TFrmMain.h"

namespace corvo::app {

ModuleFormRegistry::ModuleFormRegistry()
{
    // One line per class of the module table; each form is given its maker where it is built.
    for (const char* name :
         {"TFrmInsert",       "TFrmInsertBill",     "TFrmInsertMD",         "TFrmInsertBatch",
          "TFrmUpdate",       "TFrmUpdateMD",       "TFrmVerify",           "TFrmVerifyMD",
          "TFrmInvalidate",   "TFrmInvalidateMD",   "TFrmInsertUserModule", "TFrmInsertOtherParam",
          "TFrmQueryCollate", "TFrmQueryMDCollate", "TFrmQueryStock",       "TFrmSummary",
          "TFrmSummarySize",  "TFrmInsertSize",     "TFrmUpdateSize",       "TFrmQuerySize",
          "TFrmVerifySize",   "TFrmInvalidateSize", "TFrmInsertAccount",    "TFrmQueryAccount",
          "TFrmQueryBill",    "TFrmHelp",           "TFrmUpdateHelp",       "TFrmQueryOrganLink"})
        m_classes.emplace(name, Maker());
    forms::registerReportForms(m_classes);
    forms::registerDocumentForms(m_classes);
    forms::registerSizeDocumentForms(m_classes);
    forms::registerBusinessForms(m_classes);
}

bool ModuleFormRegistry::isRegistered(const std::string& className) const
{
    return m_classes.count(className) > 0;
}

shell::TFrmBase* ModuleFormRegistry::create(const std::string& className, shell::TFrmMain& window)
{
    const auto it = m_classes.find(className);
    if (it == m_classes.end() || !it->second) return nullptr;
    return it->second(&window);
}

void ModuleFormRegistry::prepare(shell::TFrmBase& form, const std::string& caption,
                                 const std::string& table, const std::string& title,
                                 QLabel* messageLine, QLabel* statusLabel)
{
    form.registry().SelectTableFields(table);
    form.registry().BuildEntity(table, "TMaster");
    auto* app = qobject_cast<forms::TFrmApp*>(&form);
    if (!app) return;
    app->SetFormTitle(title);
    app->setHost(app->parentWidget() ? app->parentWidget()->window() : nullptr, messageLine,
                 statusLabel);
    if (auto* query = qobject_cast<forms::TFrmQuery*>(&form)) query->setModuleName(caption);
}

bool ModuleFormRegistry::chooseModulesToClose(shell::TFrmMain& window, TClientDataSet& openModules,
                                              std::vector<std::string>& toClose)
{
    forms::TFrmFormList dialog(&window);
    dialog.ApplyFrameFrom(window);
    dialog.setWindowTitle(QStringLiteral("请关闭部分窗口"));
    dialog.LoadRows(openModules.Data());
    dialog.ShowOnlyField(window.registry().LanguageColumn);
    platform::execModal(dialog);
    if (dialog.resultFlag() != 1) return false;
    TClientDataSet& rows = *dialog.dgeMaster().dataSet();
    std::vector<Bookmark> marked = dialog.dgeMaster().markedRows();
    if (marked.empty() && !rows.IsEmpty()) marked.push_back(rows.GetBookmark());
    const std::string& language = window.registry().LanguageColumn;
    for (const Bookmark& row : marked) {
        rows.GotoBookmark(row);
        toClose.push_back(rows.FieldByName(language).AsString());
    }
    return true;
}

} // namespace corvo::app
