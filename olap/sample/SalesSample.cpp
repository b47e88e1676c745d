#include "olap/sample/SalesSample.h"

#include "olap/model/Cube.h"
#include "olap/schema/SchemaReader.h"
#include "olap/storage/CubeBuilder.h"
#include "olap/storage/CubeFile.h"
#include "olap/util/AtomicFile.h"
#include "olap/util/OlapError.h"
#include "olap/util/SqliteDb.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace olap {

namespace {

//! splitmix64: small, fast, and the same everywhere.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) { }
    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

private:
    std::uint64_t m_state;
};

//! Draws indices in proportion to weights.
class Weighted {
public:
    explicit Weighted(const std::vector<double>& weights)
    {
        double total = 0;
        for (double w : weights)
            m_cumulative.push_back(total += w);
    }
    std::size_t Draw(Random& random) const
    {
        const double x = random.Uniform() * m_cumulative.back();
        return static_cast<std::size_t>(
            std::upper_bound(m_cumulative.begin(), m_cumulative.end(), x) - m_cumulative.begin());
    }

private:
    std::vector<double> m_cumulative;
};

struct Subcategory {
    const char* category;
    const char* name;
    const char* items[6];
    double price;
};

constexpr Subcategory kSubcategories[] = {
    {"Drink", "Soft Drinks", {"Cola", "Lemonade", "Ginger Ale", "Root Beer", "Tonic", nullptr}, 1.6},
    {"Drink", "Juice", {"Orange Juice", "Apple Juice", "Grape Juice", "Cranberry Juice", nullptr, nullptr}, 2.9},
    {"Drink", "Beer and Wine", {"Lager", "Pale Ale", "Red Wine", "White Wine", "Rose", nullptr}, 8.5},
    {"Drink", "Hot Beverages", {"Coffee", "Green Tea", "Black Tea", "Cocoa", nullptr, nullptr}, 5.2},
    {"Food", "Bakery", {"Bread", "Bagels", "Muffins", "Croissants", "Rye Bread", nullptr}, 2.4},
    {"Food", "Dairy", {"Milk", "Cheese", "Yogurt", "Butter", "Cream", nullptr}, 3.1},
    {"Food", "Produce", {"Apples", "Bananas", "Tomatoes", "Lettuce", "Potatoes", "Carrots"}, 1.9},
    {"Food", "Snacks", {"Chips", "Pretzels", "Popcorn", "Nuts", "Crackers", nullptr}, 2.7},
    {"Food", "Frozen Foods", {"Pizza", "Ice Cream", "Peas", "Waffles", nullptr, nullptr}, 4.6},
    {"Non-Consumable", "Household", {"Detergent", "Dish Soap", "Sponges", "Candles", "Light Bulbs", nullptr}, 4.9},
    {"Non-Consumable", "Health", {"Aspirin", "Bandages", "Vitamins", "Toothpaste", nullptr, nullptr}, 6.3},
    {"Non-Consumable", "Electronics", {"Batteries", "Headphones", "Chargers", "Flashlights", nullptr, nullptr}, 14.5},
};

constexpr const char* kBrands[] = {"Best", "Golden", "Sunny", "Northern"};

struct StoreInfo {
    const char* country;
    const char* city;
    double size;
    int opened; // first year with sales
};

constexpr StoreInfo kStores[] = {
    {"USA", "Seattle", 3.0, 2022},
    {"USA", "Seattle", 1.2, 2023},
    {"USA", "Portland", 1.8, 2022},
    {"USA", "San Francisco", 2.6, 2022},
    {"USA", "Los Angeles", 3.4, 2022},
    {"USA", "Los Angeles", 1.0, 2024},
    {"Canada", "Vancouver", 1.9, 2022},
    {"Canada", "Toronto", 2.4, 2022},
    {"Canada", "Toronto", 0.8, 2023},
    {"Mexico", "Mexico City", 2.2, 2022},
    {"Mexico", "Guadalajara", 1.1, 2023},
    {"Mexico", "Monterrey", 0.7, 2024},
};

constexpr const char* kMonthNames[] = {"January", "February", "March", "April", "May", "June", "July", "August",
    "September", "October", "November", "December"};
constexpr double kSeason[] = {0.8, 0.75, 0.9, 0.95, 1.0, 1.05, 1.0, 1.0, 0.95, 1.05, 1.2, 1.6};
constexpr int kFirstYear = 2022;
constexpr int kYears = 3;
constexpr int kCustomers = 5000;

} // namespace

std::string SalesSample::SchemaXml()
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<Schema name="SalesSample">
  <Cube name="Sales" defaultMeasure="Unit Sales">
    <Table name="sales"/>
    <Dimension name="Time" type="TimeDimension" foreignKey="time_id">
      <Hierarchy hasAll="false" primaryKey="time_id">
        <Table name="time_dim"/>
        <Level name="Year" column="the_year" type="Numeric" uniqueMembers="true" levelType="TimeYears"/>
        <Level name="Quarter" column="quarter" uniqueMembers="false" levelType="TimeQuarters"/>
        <Level name="Month" column="month_of_year" nameColumn="month_name" type="Numeric" uniqueMembers="false" levelType="TimeMonths"/>
      </Hierarchy>
    </Dimension>
    <Dimension name="Product" foreignKey="product_id">
      <Hierarchy hasAll="true" allMemberName="All Products" primaryKey="product_id">
        <Table name="product"/>
        <Level name="Category" column="category" uniqueMembers="true"/>
        <Level name="Subcategory" column="subcategory" uniqueMembers="false"/>
        <Level name="Product" column="product_name" uniqueMembers="false"/>
      </Hierarchy>
    </Dimension>
    <Dimension name="Store" foreignKey="store_id">
      <Hierarchy hasAll="true" allMemberName="All Stores" primaryKey="store_id">
        <Table name="store"/>
        <Level name="Country" column="country" uniqueMembers="true"/>
        <Level name="City" column="city" uniqueMembers="false"/>
        <Level name="Store" column="store_name" uniqueMembers="true"/>
      </Hierarchy>
    </Dimension>
    <Dimension name="Customer" foreignKey="customer_id">
      <Hierarchy hasAll="true" allMemberName="All Customers" primaryKey="customer_id">
        <Table name="customer"/>
        <Level name="Gender" column="gender" uniqueMembers="true"/>
      </Hierarchy>
    </Dimension>
    <Measure name="Unit Sales" column="unit_sales" aggregator="sum" formatString="Standard"/>
    <Measure name="Store Sales" column="store_sales" aggregator="sum" formatString="#,##0.00"/>
    <Measure name="Store Cost" column="store_cost" aggregator="sum" formatString="#,##0.00"/>
    <Measure name="Sales Count" column="product_id" aggregator="count" formatString="#,##0"/>
    <Measure name="Customer Count" column="customer_id" aggregator="distinct-count" formatString="#,##0"/>
  </Cube>
</Schema>
)";
}

void SalesSample::WriteSource(const std::string& dir, std::uint64_t rows, std::uint64_t seed)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir))
        throw OlapError("cannot create the folder '" + dir + "'");
    const std::string path = (fs::path(dir) / "sales.sqlite").string();
    AtomicFile out(path);
    if (!out.Open())
        throw OlapError(out.Error());
    const std::string& temp = out.TempPath();
    Random random(seed * 0x2545F4914F6CDD1Dull + 12345);
    {
        SqliteDb db(temp, SqliteDb::Mode::ReadWriteCreate);
        db.Exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; BEGIN;"
                "CREATE TABLE time_dim(time_id INTEGER PRIMARY KEY, the_year INTEGER, quarter TEXT,"
                " month_of_year INTEGER, month_name TEXT);"
                "CREATE TABLE product(product_id INTEGER PRIMARY KEY, product_name TEXT, subcategory TEXT,"
                " category TEXT, list_price REAL);"
                "CREATE TABLE store(store_id INTEGER PRIMARY KEY, store_name TEXT, city TEXT, country TEXT,"
                " store_size REAL);"
                "CREATE TABLE customer(customer_id INTEGER PRIMARY KEY, gender TEXT, home_store INTEGER);"
                "CREATE TABLE sales(time_id INTEGER, product_id INTEGER, store_id INTEGER, customer_id INTEGER,"
                " unit_sales INTEGER, store_sales REAL, store_cost REAL);");
        {
            auto insert = db.Prepare("INSERT INTO time_dim VALUES (?1, ?2, ?3, ?4, ?5)");
            for (int y = 0; y < kYears; ++y) {
                for (int m = 0; m < 12; ++m) {
                    insert.Reset();
                    insert.Bind(1, std::int64_t {y} * 12 + m + 1);
                    insert.Bind(2, std::int64_t {kFirstYear} + y);
                    std::string quarter = "Q";
                    quarter += static_cast<char>('1' + m / 3);
                    insert.Bind(3, quarter);
                    insert.Bind(4, std::int64_t {m} + 1);
                    insert.Bind(5, std::string(kMonthNames[m]));
                    insert.Step();
                }
            }
        }
        struct ProductInfo {
            double price, costRatio, weight;
            int launch;
            std::size_t subcategory;
        };
        std::vector<ProductInfo> products;
        {
            auto insert = db.Prepare("INSERT INTO product VALUES (?1, ?2, ?3, ?4, ?5)");
            for (std::size_t s = 0; s < std::size(kSubcategories); ++s) {
                const Subcategory& sub = kSubcategories[s];
                for (const char* item : sub.items) {
                    if (!item)
                        break;
                    for (const char* brand : kBrands) {
                        ProductInfo info;
                        info.price = std::round(sub.price * (0.6 + 0.9 * random.Uniform()) * 100) / 100;
                        info.costRatio = 0.38 + 0.22 * random.Uniform();
                        const double u = random.Uniform();
                        info.launch = u < 0.08 ? kFirstYear + 2 : (u < 0.18 ? kFirstYear + 1 : kFirstYear);
                        info.subcategory = s;
                        products.push_back(info);
                        insert.Reset();
                        insert.Bind(1, static_cast<std::int64_t>(products.size()));
                        std::string name = brand;
                        name += ' ';
                        name += item;
                        insert.Bind(2, name);
                        insert.Bind(3, std::string(sub.name));
                        insert.Bind(4, std::string(sub.category));
                        insert.Bind(5, info.price);
                        insert.Step();
                    }
                }
            }
            // Popularity: Zipf-like over a shuffled order, so each subcategory has hits and duds.
            std::vector<std::size_t> order(products.size());
            for (std::size_t i = 0; i < order.size(); ++i)
                order[i] = i;
            for (std::size_t i = order.size(); i-- > 1;)
                std::swap(order[i], order[random.Next() % (i + 1)]);
            for (std::size_t rank = 0; rank < order.size(); ++rank)
                products[order[rank]].weight = 1.0 / std::pow(static_cast<double>(rank + 1), 1.05);
        }
        {
            auto insert = db.Prepare("INSERT INTO store VALUES (?1, ?2, ?3, ?4, ?5)");
            std::vector<int> perCity;
            for (std::size_t s = 0; s < std::size(kStores); ++s) {
                int number = 1;
                for (std::size_t t = 0; t < s; ++t)
                    number += std::string(kStores[t].city) == kStores[s].city;
                insert.Reset();
                insert.Bind(1, static_cast<std::int64_t>(s + 1));
                std::string name = kStores[s].city;
                name += ' ';
                name += std::to_string(number);
                insert.Bind(2, name);
                insert.Bind(3, std::string(kStores[s].city));
                insert.Bind(4, std::string(kStores[s].country));
                insert.Bind(5, kStores[s].size);
                insert.Step();
            }
        }
        std::vector<std::vector<std::int64_t>> customersOfStore(std::size(kStores));
        {
            std::vector<double> storeWeights;
            for (const StoreInfo& s : kStores)
                storeWeights.push_back(s.size);
            Weighted pickStore(storeWeights);
            auto insert = db.Prepare("INSERT INTO customer VALUES (?1, ?2, ?3)");
            for (int c = 1; c <= kCustomers; ++c) {
                const std::size_t store = pickStore.Draw(random);
                customersOfStore[store].push_back(c);
                insert.Reset();
                insert.Bind(1, static_cast<std::int64_t>(c));
                insert.Bind(2, std::string(random.Uniform() < 0.52 ? "F" : "M"));
                insert.Bind(3, static_cast<std::int64_t>(store + 1));
                insert.Step();
            }
            for (std::size_t s = 0; s < customersOfStore.size(); ++s) {
                if (customersOfStore[s].empty())
                    customersOfStore[s].push_back(static_cast<std::int64_t>(s + 1));
            }
        }
        std::vector<double> monthWeights;
        for (int y = 0; y < kYears; ++y) {
            for (int m = 0; m < 12; ++m)
                monthWeights.push_back((1.0 + 0.22 * y + 0.015 * m) * kSeason[m]);
        }
        std::vector<double> storeWeights;
        storeWeights.reserve(std::size(kStores));
        for (const StoreInfo& s : kStores)
            storeWeights.push_back(s.size);
        std::vector<double> productWeights;
        productWeights.reserve(products.size());
        for (const ProductInfo& p : products)
            productWeights.push_back(p.weight);
        Weighted pickMonth(monthWeights);
        Weighted pickStore(storeWeights);
        Weighted pickProduct(productWeights);
        auto insert = db.Prepare("INSERT INTO sales VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
        for (std::uint64_t r = 0; r < rows; ++r) {
            const std::size_t month = pickMonth.Draw(random);
            const int year = kFirstYear + static_cast<int>(month / 12);
            std::size_t store = 0;
            do
                store = pickStore.Draw(random);
            while (kStores[store].opened > year);
            std::size_t product = 0;
            while (true) {
                product = pickProduct.Draw(random);
                const ProductInfo& p = products[product];
                // Beer and wine is not sold in Mexico in this sample.
                const bool banned = std::string(kStores[store].country) == "Mexico"
                    && std::string(kSubcategories[p.subcategory].name) == "Beer and Wine";
                if (p.launch <= year && !banned)
                    break;
            }
            const auto& regulars = customersOfStore[store];
            const double u = random.Uniform();
            const std::size_t ci = static_cast<std::size_t>(u * u * static_cast<double>(regulars.size()));
            int units = 1;
            while (units < 12 && random.Uniform() < 0.45)
                ++units;
            const double discount = random.Uniform() < 0.15 ? 0.8 : 1.0;
            const double sales = std::round(units * products[product].price * discount * 100) / 100;
            const double cost = std::round(sales * products[product].costRatio * 100) / 100;
            insert.Reset();
            insert.Bind(1, static_cast<std::int64_t>(month + 1));
            insert.Bind(2, static_cast<std::int64_t>(product + 1));
            insert.Bind(3, static_cast<std::int64_t>(store + 1));
            insert.Bind(4, regulars[std::min(ci, regulars.size() - 1)]);
            insert.Bind(5, static_cast<std::int64_t>(units));
            insert.Bind(6, sales);
            insert.Bind(7, cost);
            insert.Step();
        }
        db.Exec("COMMIT;");
    }
    if (!out.Commit())
        throw OlapError(out.Error());
    WriteFileAtomically((fs::path(dir) / "sales.xml").string(), SchemaXml());
}

void SalesSample::WriteAll(const std::string& dir, std::uint64_t rows, std::uint64_t seed)
{
    namespace fs = std::filesystem;
    WriteSource(dir, rows, seed);
    const SchemaDefinition schema = SchemaReader::Parse(SchemaXml());
    SqliteDb source((fs::path(dir) / "sales.sqlite").string(), SqliteDb::Mode::ReadOnly);
    auto cube = CubeBuilder::Build(schema.name, schema.cubes.front(), source);
    CubeFile::Write(*cube, (fs::path(dir) / "Sales.cub").string());
}

} // namespace olap
