#include "DemoCompany.h"

#include "DemoDictionary.h"
#include "Ownership.h"
#include "SystemIds.h"
#include "entity/DateTime.h"
#include "internal/DemoSeed.h"

#include <cmath>

namespace corvo::server::schema {

std::vector<SeededUser> seedDemoCompany(storage::Transaction& tx, const DemoOptions& options)
{
    const int64_t today =
        options.today ? *options.today : static_cast<int64_t>(std::floor(DateTime::now().days));
    const Dictionary dictionary = demoDictionary();
    const int largeLines = options.large ? options.largeSalesLines : 0;
    if (options.company.empty()) {
        demo::Seeder seed(tx, dictionary);
        demo::Catalogue catalogue = demo::seedReference(seed, today);
        demo::seedModules(seed, catalogue);
        demo::seedDocuments(seed, catalogue, largeLines);
        return catalogue.seededUsers;
    }
    demo::Seeder collect(tx, dictionary, demo::Seeder::Mode::Collect);
    demo::seedModules(collect, demo::seedReference(collect, today));
    demo::Seeder seed(tx, dictionary, demo::Seeder::Mode::Copy, options.company,
                      collect.sharedIds());
    demo::Catalogue catalogue = demo::seedReference(seed, today);
    demo::seedModules(seed, catalogue);
    demo::seedDocuments(seed, catalogue, largeLines);
    std::vector<SeededUser> users = catalogue.seededUsers;
    for (SeededUser& user : users)
        user.objId = seed.idOf(user.objId);
    return users;
}

SeededUser seedEmptyCompany(storage::Transaction& tx, const std::string& company,
                            const std::string& name, bool sharedToo)
{
    const int64_t today = static_cast<int64_t>(std::floor(DateTime::now().days));
    const Dictionary dictionary = demoDictionary();
    demo::Seeder collect(tx, dictionary, demo::Seeder::Mode::Collect);
    demo::seedModules(collect, demo::seedReference(collect, today));
    demo::Seeder seed(tx, dictionary, demo::Seeder::Mode::Copy, company, collect.sharedIds());
    const std::string headOffice(ids::DemoOrgan);
    const std::string admin(ids::AdminUser);
    auto valueOf = [](const Record& record, std::string_view column) {
        for (const ColumnValue& v : record)
            if (v.column == column) return v.value.asString();
        return std::string();
    };
    seed.keepOnly(
        [&](const std::string& table, Record& record) {
            if (table == "TOrgan" && valueOf(record, "ObjID") == headOffice) {
                // The demo's head office by its identity only: the rest is the demo's.
                for (ColumnValue& v : record) {
                    if (v.column == "Name" || v.column == "HelpIndex")
                        v.value = name.empty() ? company : name;
                    else if (v.column != "ObjID" && v.column != "Code" &&
                             v.column != "TOrganTypeID" && v.column != "TOwnerID" &&
                             v.column != "StatusID")
                        v.value = std::string();
                }
                return true;
            }
            if (table == "TUser") return valueOf(record, "ObjID") == admin;
            if (table == "TUserModule") return valueOf(record, "TUserID") == admin;
            return table == "TModule" || table == "TModuleGroup" ||
                   (table == "TOtherParam" && valueOf(record, "TOwnerID").empty()) ||
                   isSharedTable(table);
        },
        sharedToo);
    demo::seedModules(seed, demo::seedReference(seed, today));
    return {seed.idOf(admin), "admin", ""};
}

} // namespace corvo::server::schema
