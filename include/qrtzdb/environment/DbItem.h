#pragma once
// One user setting of the host: a value with its INI section and key, a title and unit for
// display, and the kind of editor it wants. Definitions are one-line texts in the host's
// string resources: section|key|title|unit|EDIT|INT or DOUBLE, or section|key|title|unit|
// SELECT or ONOFF followed by the choice texts.
#include "qrtzdb/platform/CString.h"
#include "qrtzdb/platform/CStringList.h"

namespace qrtz {

// One setting of the host: its value, where it is stored and how it is shown (see above).
class DbItem {
public:
    // The editor an item wants, and the type of its value.
    enum ITEMTYPE { ONOFF = 0, SELECT = 1, EDIT = 2 };
    // INT or DOUBLE: the type of the value.
    enum VALUETYPE { INT = 0, DOUBLE = 1 };

    DbItem() = default;
    // Copies take their own copy of the choice list.
    DbItem(const DbItem& other);
    DbItem& operator=(const DbItem& other);
    virtual ~DbItem();

    // Fills the item from the definition stored under string resource id; a missing resource
    // reads as an empty definition.
    void Create(unsigned int id);
    // Takes ownership of choices, which may be null.
    void Create(unsigned int id, const char* section, const char* key, ITEMTYPE kind,
                const char* title, const char* unit, VALUETYPE valueType, CStringList* choices);

    // The string resource the item was made from.
    unsigned int GetID() const { return identifier; }
    // The type of the value, the value as int or double, and their setters.
    VALUETYPE GetValueType() const { return valueType; }
    int GetInt() const { return intValue; }
    double GetDouble() const { return doubleValue; }
    void SetInt(int value) { intValue = value; }
    void SetDouble(double value) { doubleValue = value; }
    // Copies other's value when both hold the same value type.
    void GetValue(DbItem* other);

    // 1 when the INI entry held a value, 0 (value unchanged) when it is missing or empty.
    int ReadProfile(const char* iniFile);
    // Nonzero when the INI entry was written.
    int WriteProfile(const char* iniFile);

    // The title shown for the item, and its unit (empty when it has none).
    CString PrintTitle() const { return title; }
    CString PrintUnit() const;
    // A choice index outside the list prints as an empty text; an on/off item whose list has
    // fewer than two texts prints "ON" or "OFF" where its own text is missing.
    // The value as text: a number, or the chosen text of a SELECT or ONOFF item.
    CString PrintValue() const;
    // The value followed by the unit.
    CString PrintValueWithUnit() const;
    // "title : value [unit]".
    CString Describe() const;

    // Whether the last ReadProfile found a value: 1 and 0, Failed the reverse.
    int Succeeded() const { return status; }
    int Failed() const { return status == 0 ? 1 : 0; }

    // Where the value is stored: INI section and key.
    CString section;
    CString key;
    // The editor, the title and the unit shown.
    ITEMTYPE itemKind = EDIT;
    CString title;
    CString unit;
    CStringList* choiceList = nullptr;  // owned
    // 1 after a ReadProfile that found a value.
    int status = 0;

private:
    unsigned int identifier = 0;
    VALUETYPE valueType = INT;
    // The value is either; valueType tells which one is meant.
    int intValue = 0;
    double doubleValue = 0.0;
};

} // namespace qrtz
