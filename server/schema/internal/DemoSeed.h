#pragma once

// The pieces the demo company's seed shares between its parts: the row writer, stable ids,
// value helpers, a calendar over OLE day numbers, a repeatable random source and the
// catalogue of what the reference part created for the documents to use.
#include "../Dictionary.h"
#include "../MinimalCompany.h"
#include "../TableLayout.h"
#include "../TableWriter.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace corvo::server::schema::demo {

/// The ObjID of a demo row named by `key` (for example "TOrgan:LS"): the same on every run.
std::string rowId(std::string_view key);

/// The ObjID of the other parameter with that code ("StatusID_Valid", "TSaleTypeID_RETAIL").
std::string paramId(std::string_view code);

/// Money in cents as the exact value a money column stores.
storage::Value money(int64_t cents);

/// Midnight of an OLE day number, plus an optional fraction of a day.
storage::Value day(int64_t oleDay, double fraction = 0);

struct Ymd {
    int year = 0;
    int month = 0;
    int day = 0;
};

Ymd civil(int64_t oleDay);
int64_t oleDay(int year, int month, int day);
/// The first day of the month `monthsBack` months before the month of `oleDay`.
int64_t monthStart(int64_t oleDay, int monthsBack);
/// "yyyymmdd" or "yyyymm" of a day.
std::string compactDate(int64_t oleDay, bool withDay = true);

/// xorshift64*: a fixed sequence from a fixed seed, so every seed gives the same company.
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed ? seed : 0x9E3779B97F4A7C15ULL) {}
    /// 0 … n − 1 (n ≥ 1).
    int below(int n);
    /// lo … hi inclusive.
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }

private:
    uint64_t m_state;
};

/// Inserts rows through the table layouts of one dictionary.
///
/// Another company is the demo company again under other ids: a first run only collects the
/// ids of the rows every company shares (modules, translations, the manual, the system's lists);
/// the second writes every other row with each GUID it holds mapped to one of the new
/// company's (the same GUID always to the same), and its organisations' codes under the
/// company's code, so logins stay unambiguous.
class Seeder {
public:
    enum class Mode {
        Write,   ///< the demo company as it is
        Collect, ///< nothing written: the shared rows' ids are kept
        Copy,    ///< another company: shared rows skipped, the rest under new ids
    };
    Seeder(storage::Transaction& tx, const Dictionary& dictionary, Mode mode = Mode::Write,
           std::string company = {}, std::set<std::string> shared = {});
    /// A row `keep` refuses is not written; it may change the row before it is. In Copy mode
    /// with `sharedToo` the shared rows are written as well (a database without them yet).
    using Keep = std::function<bool(const std::string& table, Record& record)>;
    void keepOnly(Keep keep, bool sharedToo);
    void insert(const std::string& table, const Record& record);
    /// The ids the shared rows have (after a Collect run).
    const std::set<std::string>& sharedIds() const noexcept { return m_shared; }
    /// What a GUID becomes in this run's company.
    std::string idOf(const std::string& id) const;

private:
    bool isShared(const std::string& table, const Record& record) const;

    storage::Transaction& m_tx;
    const Dictionary& m_dictionary;
    Mode m_mode;
    std::string m_company;
    std::set<std::string> m_shared;
    std::map<std::string, TableLayout> m_layouts;
    Keep m_keep;
    bool m_sharedToo = false;
};

struct ProductType {
    std::string id;
    std::string code;
    std::string name;
    std::vector<std::string> sizes;
    int supplier = 0; ///< index into Catalogue::suppliers
};

struct Product {
    std::string id;
    std::string code;
    std::string name;
    int type = 0;        ///< index into Catalogue::types
    int64_t price = 0;   ///< sale price, cents
    int64_t inPrice = 0; ///< purchase price, cents
    bool stocked = true; ///< has stock and is sold
};

struct Partner {
    std::string id;
    std::string code;
    std::string name;
    std::array<int, 4> discounts{100, 100, 100, 100}; ///< per sale type, percent paid
};

struct Store {
    std::string organ;
    std::string code;
    std::string warehouse;
    std::string clerk;         ///< the employee who books its daily reports
    std::vector<int> products; ///< indexes of the products it stocks
};

/// Stock a warehouse holds of a product once the seeded documents are booked, purchases aside.
struct BaseStock {
    std::string key; ///< the warehouse's code (CK01) or its store's (LS)
    std::string warehouse;
    int product = 0;
    std::vector<int> sizes; ///< per size of the product's type
};

struct Catalogue {
    int64_t today = 0;
    std::string company;
    std::string storeLs; ///< the organisation daily reports are booked to
    std::string centralWarehouse;
    std::string buyer;    ///< employee
    std::string keeper;   ///< employee
    std::string salesman; ///< employee
    std::vector<ProductType> types;
    std::vector<Product> products;
    std::vector<Store> stores;
    std::vector<Partner> suppliers;
    std::vector<Partner> customers;
    std::vector<BaseStock> stock;
    std::map<std::string, std::string> users; ///< code → ObjID
    std::vector<SeededUser> seededUsers;
};

/// Other parameters, organisations, people, products with sizes, the stock to hold
/// (Catalogue::stock; the documents book it), materials, messages, help texts and translations.
Catalogue seedReference(Seeder& seed, int64_t today);

/// Module groups, the modules of all form classes and the users' rights.
void seedModules(Seeder& seed, const Catalogue& catalogue);

/// Six months of documents before `catalogue.today`; with `largeLines` > 0 also 24 earlier
/// months of daily reports holding that many lines, over extra styles. Then what booking them
/// leaves: an opening receipt per warehouse before them, the stock, the accounts and the
/// statements, as the posting services would have written them.
void seedDocuments(Seeder& seed, Catalogue& catalogue, int largeLines);

} // namespace corvo::server::schema::demo
