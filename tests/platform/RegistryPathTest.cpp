#include "platform/COXRegistryItem.h"

#include <gtest/gtest.h>

namespace {

struct PathCase {
    const char* name;
    const char* path;
    const char* machine;
    const char* hive;
    const char* keys;
    const char* value;
};

// Path strings use C++ escapes: "\\" is one backslash.
const PathCase kPathCases[] = {
    {"full machine-wide path", "\\LocalMachine\\Software\\Corvane\\Talvanor\\Lumetra\\Lumetra\\DataPath", "",
        "\\LocalMachine", "\\Software\\Corvane\\Talvanor\\Lumetra\\Lumetra\\", "DataPath"},
    {"hive compared without case", "\\localmachine\\Software\\X", "", "\\localmachine", "\\Software\\", "X"},
    {"classes root", "\\ClassesRoot\\CLSID\\NoName", "", "\\ClassesRoot", "\\CLSID\\", "NoName"},
    {"current user", "\\CurrentUser\\Software\\Value", "", "\\CurrentUser", "\\Software\\", "Value"},
    {"users", "\\Users\\.DEFAULT\\V", "", "\\Users", "\\.DEFAULT\\", "V"},
    {"performance data", "\\PerformanceData\\K\\V", "", "\\PerformanceData", "\\K\\", "V"},
    {"current config", "\\CurrentConfig\\K\\V", "", "\\CurrentConfig", "\\K\\", "V"},
    {"dyn data", "\\DynData\\K\\V", "", "\\DynData", "\\K\\", "V"},
    {"no leading backslash", "LocalMachine\\Software\\V", "", "\\LocalMachine", "\\Software\\", "V"},
    {"keys without hive go to current user", "Software\\Corvane\\V", "", "\\CurrentUser", "\\Software\\Corvane\\", "V"},
    {"hive name must end at a backslash", "\\UsersX\\K\\V", "", "\\CurrentUser", "\\UsersX\\K\\", "V"},
    {"key names without value name", "\\LocalMachine\\Software\\Corvane\\", "", "\\LocalMachine",
        "\\Software\\Corvane\\", ""},
    {"single key after hive", "\\LocalMachine\\Software", "", "\\LocalMachine", "\\Software\\", ""},
    {"only a hive", "\\LocalMachine", "", "\\LocalMachine", "", ""},
    {"hive and backslash", "\\LocalMachine\\", "", "\\LocalMachine", "", ""},
    {"machine name", "\\\\server\\LocalMachine\\Software\\V", "\\\\server", "\\LocalMachine", "\\Software\\", "V"},
    {"machine name alone", "\\\\server", "\\\\server", "", "", ""},
    {"only backslashes", "\\\\\\\\", "", "", "", ""},
    {"one backslash", "\\", "", "", "", ""},
    {"empty", "", "", "", "", ""},
    {"key without value", "\\Software", "", "\\CurrentUser", "\\Software\\", ""},
};

void PrintTo(const PathCase& c, std::ostream* os)
{
    *os << c.name;
}

class RegistryPathTest : public testing::TestWithParam<PathCase> { };

TEST_P(RegistryPathTest, SplitsIntoParts)
{
    const PathCase& c = GetParam();
    COXRegistryItem item;
    item.SetFullRegistryItem(QString::fromUtf8(c.path));
    EXPECT_EQ(item.GetMachineName().toStdString(), c.machine);
    EXPECT_EQ(item.GetRegistryName().toStdString(), c.hive);
    EXPECT_EQ(item.GetKeyNames().toStdString(), c.keys);
    EXPECT_EQ(item.GetValueName().toStdString(), c.value);
    EXPECT_EQ(item.GetFullRegistryItem().toStdString(), c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegistryPathTest, testing::ValuesIn(kPathCases), [](const testing::TestParamInfo<PathCase>& info) {
        std::string name = info.param.name;
        for (char& ch : name) {
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        }
        return name;
    });

} // namespace
