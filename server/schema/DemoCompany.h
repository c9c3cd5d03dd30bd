#pragma once

#include "MinimalCompany.h"
#include "server/storage/Database.h"

#include <optional>
#include <string>

namespace corvo::server::schema {

struct DemoOptions {
    /// Adds 24 earlier months of daily reports over extra styles, for benchmarks.
    bool large = false;
    /// The number of daily-report lines the large variant adds.
    int largeSalesLines = 1'000'000;
    /// The day of seeding as an OLE day number (midnight); documents lie before it. Empty:
    /// today.
    std::optional<int> today;
    /// Empty: the demo company "DEMO". Otherwise another company in a database that holds
    /// one already: the same data under ids of its own, its head office coded `company` and
    /// its other organisations `company` + "-" + the demo's code; the rows every company
    /// shares (modules, translations, the manual, the system's lists) are not written again.
    std::string company = {};
};

/// Fills a database made by createSchema(demoDictionary()) with the demo company described
/// in docs/demo-company.md: the head office "DEMO" with three stores (one coded "LS"),
/// suppliers and customers, users with different rights, all module form classes in two
/// levels of groups, the other parameters with every status the forms look up, product types
/// with sizes, products, warehouses, stock per size and six months of documents. Returns the
/// users with the passwords the caller stores for them. Throws corvo::Error from the
/// storage or for a database without the demo tables.
std::vector<SeededUser> seedDemoCompany(storage::Transaction& tx, const DemoOptions& options = {});

/// A company to start work with, in a database made by createSchema(demoDictionary()): the
/// demo's head office under the code `company` (and the name `name`, the code when empty)
/// with its administrator "admin" holding every module, and nothing else of the demo's
/// data. `sharedToo`: also the rows every company shares (modules, module groups, the
/// system's other parameters with the statuses, translations, the manual), for a database
/// that holds none yet. Returns the administrator; the caller stores its password.
SeededUser seedEmptyCompany(storage::Transaction& tx, const std::string& company,
                            const std::string& name, bool sharedToo);

} // namespace corvo::server::schema
