#include "DemoCompany.h"

#include "DemoDictionary.h"
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

} // namespace corvo::server::schema
