#include "WriteServices.h"

#include "InsertService.h"
#include "UpdateService.h"
#include "remote/AppServers.h"

namespace corvo::server {

void addWriteMethods(std::vector<ServiceClass>& classes)
{
    namespace app = remote::appserver;
    const Guid insert = *Guid::parse(app::Insert);
    const Guid update = *Guid::parse(app::Update);
    for (ServiceClass& c : classes) {
        if (c.classId == insert) {
            c.methods[app::insert::Single] = {"InsertRows", &insertRows};
            c.methods[app::insert::MasterDetail] = {"InsertDocument", &insertDocument};
        } else if (c.classId == update) {
            c.methods[app::update::Single] = {"UpdateRows", &updateRows};
            c.methods[app::update::MasterDetail] = {"UpdateDocument", &updateDocument};
        }
    }
}

} // namespace corvo::server
