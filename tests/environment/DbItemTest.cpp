#include <gtest/gtest.h>

#include "qrtzdb/environment/DbItem.h"
#include "qrtzdb/platform/StringResource.h"
#include "support/TempSettings.h"

namespace qrtz {
namespace {

using DbItemTest = testing::TempSettings;

std::vector<std::string> choices(const DbItem& item) {
    std::vector<std::string> out;
    if (item.choiceList)
        for (const CString& c : *item.choiceList) out.push_back(c);
    return out;
}

TEST_F(DbItemTest, DefinitionsFromStringResources) {
    SetStringResource(101, "Dynamics|Step|Time step|fs|EDIT|DOUBLE");
    SetStringResource(102, "View|Mode|Display||SELECT|Ball|Stick|Wire");
    SetStringResource(103, "View|Axes|Axes||ONOFF|a||b");
    SetStringResource(104, "S|K|T|U|EDIT|LONG");
    SetStringResource(105, "S|K|T|U|FANCY|x|y");

    DbItem item;
    item.Create(101);
    EXPECT_EQ(item.GetID(), 101u);
    EXPECT_EQ(item.section, "Dynamics");
    EXPECT_EQ(item.key, "Step");
    EXPECT_EQ(item.itemKind, DbItem::EDIT);
    EXPECT_EQ(item.GetValueType(), DbItem::DOUBLE);
    EXPECT_EQ(item.choiceList, nullptr);

    item.Create(102);
    EXPECT_EQ(item.itemKind, DbItem::SELECT);
    EXPECT_EQ(item.GetValueType(), DbItem::INT);
    EXPECT_EQ(choices(item), (std::vector<std::string>{"Ball", "Stick", "Wire"}));
    EXPECT_EQ(item.unit, "");

    item.Create(103);
    EXPECT_EQ(item.itemKind, DbItem::ONOFF);
    EXPECT_EQ(choices(item), (std::vector<std::string>{"a"}));

    // Unknown tokens keep what the item was.
    item.Create(101);
    item.Create(104);
    EXPECT_EQ(item.GetValueType(), DbItem::DOUBLE);
    item.Create(105);
    EXPECT_EQ(item.itemKind, DbItem::EDIT);
    EXPECT_EQ(item.choiceList, nullptr);
    RemoveStringResource(105);
    item.Create(105);
    EXPECT_EQ(item.GetID(), 105u);
    EXPECT_EQ(item.section, "");
    ClearStringResources();
}

TEST_F(DbItemTest, Printing) {
    DbItem cut;
    cut.Create(1, "S", "K", DbItem::EDIT, "Cut-off", "A", DbItem::DOUBLE, nullptr);
    cut.SetDouble(0.25);
    EXPECT_EQ(cut.Describe(), "Cut-off : 0.25 [A]");
    EXPECT_EQ(cut.PrintUnit(), "[A]");
    cut.SetDouble(1e-6);
    EXPECT_EQ(cut.PrintValue(), "1e-06");
    cut.Create(1, "S", "K", DbItem::EDIT, "Count", "", DbItem::INT, nullptr);
    cut.SetInt(42);
    EXPECT_EQ(cut.Describe(), "Count : 42");
    EXPECT_EQ(cut.PrintUnit(), "");

    DbItem onOff;
    onOff.Create(2, "S", "K", DbItem::ONOFF, "T", "", DbItem::INT, nullptr);
    onOff.SetInt(-3);
    EXPECT_EQ(onOff.PrintValue(), "ON");
    onOff.SetInt(0);
    EXPECT_EQ(onOff.PrintValue(), "OFF");
    auto* yesNo = new CStringList;
    yesNo->AddTail("Yes");
    yesNo->AddTail("No");
    onOff.Create(2, "S", "K", DbItem::ONOFF, "T", "", DbItem::INT, yesNo);
    onOff.SetInt(1);
    EXPECT_EQ(onOff.PrintValue(), "Yes");
    onOff.SetInt(0);
    EXPECT_EQ(onOff.PrintValue(), "No");

    DbItem select;
    auto* shapes = new CStringList;
    for (const char* s : {"Ball", "Stick", "Wire"}) shapes->AddTail(s);
    select.Create(3, "S", "K", DbItem::SELECT, "T", "", DbItem::INT, shapes);
    select.SetInt(2);
    EXPECT_EQ(select.PrintValue(), "Wire");
    select.SetInt(3);
    EXPECT_EQ(select.PrintValue(), "");
    select.SetInt(-1);
    EXPECT_EQ(select.PrintValue(), "");

    // Copies own their lists: changing one leaves the other.
    DbItem copy(select);
    copy.choiceList->GetHead() = "Sphere";
    select = copy;
    copy.choiceList->GetHead() = "Dot";
    select.SetInt(0);
    EXPECT_EQ(select.PrintValue(), "Sphere");

    DbItem number;
    number.Create(4, "S", "K", DbItem::EDIT, "T", "", DbItem::DOUBLE, nullptr);
    number.SetDouble(2.5);
    DbItem integer;
    integer.SetInt(9);
    number.GetValue(&integer);
    EXPECT_EQ(number.GetDouble(), 2.5);
    DbItem other(number);
    other.SetDouble(7.5);
    number.GetValue(&other);
    EXPECT_EQ(number.GetDouble(), 7.5);
}

TEST_F(DbItemTest, ProfileReadAndWrite) {
    std::string ini = path("items.ini");
    writeFile(ini, "; user notes\n[Run]\nSteps=12abc\nScale=3.5e2\nEmpty=\nBig=99999999999\n");
    DbItem steps;
    steps.Create(1, "run", "steps", DbItem::EDIT, "Steps", "", DbItem::INT, nullptr);
    steps.SetInt(5);
    EXPECT_EQ(steps.ReadProfile(ini.c_str()), 1);
    EXPECT_EQ(steps.GetInt(), 12);
    DbItem scale;
    scale.Create(2, "Run", "Scale", DbItem::EDIT, "Scale", "", DbItem::DOUBLE, nullptr);
    EXPECT_EQ(scale.ReadProfile(ini.c_str()), 1);
    EXPECT_EQ(scale.GetDouble(), 350.0);
    DbItem big;
    big.Create(3, "Run", "Big", DbItem::EDIT, "", "", DbItem::INT, nullptr);
    EXPECT_EQ(big.ReadProfile(ini.c_str()), 1);
    EXPECT_EQ(big.GetInt(), 2147483647);
    for (const char* key : {"Empty", "Absent"}) {
        DbItem item;
        item.Create(4, "Run", key, DbItem::EDIT, "", "", DbItem::INT, nullptr);
        item.SetInt(8);
        EXPECT_EQ(item.ReadProfile(ini.c_str()), 0) << key;
        EXPECT_EQ(item.GetInt(), 8) << key;
    }

    steps.SetInt(-40);
    EXPECT_NE(steps.WriteProfile(ini.c_str()), 0);
    scale.SetDouble(0.125);
    EXPECT_NE(scale.WriteProfile(ini.c_str()), 0);
    EXPECT_EQ(readFile(ini),
              "; user notes\n[Run]\nsteps=-40\nScale=0.125\nEmpty=\nBig=99999999999\n");
    EXPECT_EQ(steps.WriteProfile(path("no/such/folder/x.ini").c_str()), 0);
}

} // namespace
} // namespace qrtz
