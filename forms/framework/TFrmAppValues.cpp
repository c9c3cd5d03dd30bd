// Validation, collected rows, lookup lists, status values and the server connection.
#include "TFrmApp.h"
#include "controls/TInputControlList.h"
#include "controls/TVelComboBox.h"
#include "entity/EntityHelpers.h"
#include "entity/TCustomEntityList.h"
#include "forms/rules/LookupLists.h"
#include "forms/rules/MasterCollector.h"
#include "forms/rules/MonthConditions.h"
#include "forms/rules/StatusValues.h"
#include "forms/rules/ValueValidation.h"
#include "internal/FormAdapters.h"
#include "platform/Modal.h"
#include "remote/ServerCall.h"
#include "remote/Tvelwebconnection.h"

#include <QMessageBox>

namespace corvo::forms {

Variant TFrmApp::ValidateValue(const Variant& value)
{
    TCustomEntity& dict = registry().EntityByName("TDictField");
    return forms::ValidateValue(value, readDictColumn(dict, registry().LanguageColumn));
}

namespace {

CollectContext collectContext(TFrmApp& form, TCustomEntity* user)
{
    CollectContext context;
    context.owner = form.owner();
    if (user && user->Active() && user->FindField("ObjID")) context.userObjID = GetObjID(*user);
    context.encodeUserPassword = [&form](const std::string& code, const std::string& password) {
        return form.EncodeUserPassword(code, password);
    };
    context.statusObjID = [&form](const std::string& column, const std::string& state) {
        return form.StatusObjID(column, state);
    };
    return context;
}

} // namespace

Variant TFrmApp::CollectNewMaster()
{
    internal::InputValues values(m_inputs.get());
    return forms::CollectNewMaster(registry(), values, collectContext(*this, userRecord()));
}

Variant TFrmApp::CollectMasterUpdate()
{
    internal::InputValues values(m_inputs.get());
    return forms::CollectMasterUpdate(registry(), values, collectContext(*this, userRecord()));
}

void TFrmApp::FillLookupCombo(controls::TVelComboBox& box, std::string_view table)
{
    const std::vector<DictColumn> columns = selected();
    internal::FormStore store(*this);
    internal::ComboTarget target(box);
    LookupContext context{registry(), store, registry().LanguageColumn, m_owner, columns};
    forms::FillLookupCombo(target, table, context);
}

void TFrmApp::FillOtherParamCombo(controls::TVelComboBox& box, std::string_view type)
{
    const std::vector<DictColumn> columns;
    internal::FormStore store(*this);
    internal::ComboTarget target(box);
    LookupContext context{registry(), store, registry().LanguageColumn, m_owner, columns};
    forms::FillOtherParamCombo(target, type, context);
}

TCustomEntity& TFrmApp::otherParameters()
{
    if (!registry().HasEntity("TOtherParam")) {
        if (LocalFileExists("TOtherParam")) {
            registry().AddEntity("TOtherParam");
            LoadLocalFile("TOtherParam", registry().EntityByName("TOtherParam"));
        } else {
            ShowStatusText("发现本地数据被删除，请重新启动程序");
        }
    }
    return registry().EntityByName("TOtherParam");
}

std::string TFrmApp::StatusObjID(std::string_view column, std::string_view state)
{
    return forms::StatusObjID(otherParameters(), column, state);
}

std::string TFrmApp::NextStatus(std::string_view type, std::string_view current)
{
    return forms::NextStatus(otherParameters(), type, current);
}

std::string TFrmApp::CreateDateThisMonth(std::string_view prefix) const
{
    return forms::CreateDateThisMonth(prefix);
}

std::string TFrmApp::HappenDateThisMonth(std::string_view prefix) const
{
    return forms::HappenDateThisMonth(prefix);
}

void TFrmApp::ConnectServer(const std::string& guid)
{
    if (guid.empty()) {
        QMessageBox box(QMessageBox::NoIcon, windowTitle(),
                        QStringLiteral("没有指定服务器GUID，无法连接服务器！"), QMessageBox::Ok,
                        this);
        platform::execModal(box);
        return;
    }
    remote::TIntellegentWebconn* web = connection();
    if (!web) throw Error("无法建立连接，请检查网络及连接参数");
    web->setServerGUID(guid);
    web->ConnectWithFailover();
}

std::shared_ptr<remote::Tveldatadispatch> TFrmApp::GetServer()
{
    remote::TIntellegentWebconn* web = connection();
    if (!web) throw Error("无法建立连接，请检查网络及连接参数");
    return web->GetServer();
}

bool TFrmApp::CallAppServer(std::string_view classGuid, int32_t method)
{
    remote::TIntellegentWebconn* web = connection();
    if (!web) throw Error("无法建立连接，请检查网络及连接参数");
    return remote::CallServer(*web, classGuid, method, submitPacket());
}

} // namespace corvo::forms
