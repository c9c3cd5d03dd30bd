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
    demo::Seeder seed(tx, dictionary);
    demo::Catalogue catalogue = demo::seedReference(seed, today);
    demo::seedModules(seed, catalogue);
    demo::seedDocuments(seed, catalogue, options.large ? options.largeSalesLines : 0);
    return catalogue.seededUsers;
}

} // namespace corvo::server::schema
