#include "qrtzdb/environment/DbItem.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "qrtzdb/platform/PrivateProfile.h"
#include "qrtzdb/platform/StringResource.h"

namespace qrtz {

namespace {

// Hands out the "|"-separated fields of a definition from the left; past the end, empty ones.
class Fields {
public:
    explicit Fields(std::string_view text) : m_text(text) {}
    bool AtEnd() const { return m_at > m_text.size(); }
    CString Next() {
        if (AtEnd()) return {};
        auto bar = m_text.find('|', m_at);
        std::size_t end = bar == std::string_view::npos ? m_text.size() : bar;
        CString field(m_text.substr(m_at, end - m_at));
        m_at = end + 1;
        return field;
    }

private:
    std::string_view m_text;
    std::size_t m_at = 0;
};

CString formatValue(const char* format, int value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

CString formatValue(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

} // namespace

DbItem::DbItem(const DbItem& other)
    : section(other.section), key(other.key), itemKind(other.itemKind), title(other.title),
      unit(other.unit), choiceList(other.choiceList ? new CStringList(*other.choiceList) : nullptr),
      status(other.status), identifier(other.identifier), valueType(other.valueType),
      intValue(other.intValue), doubleValue(other.doubleValue) {}

DbItem& DbItem::operator=(const DbItem& other) {
    if (this == &other) return *this;
    CStringList* choices = other.choiceList ? new CStringList(*other.choiceList) : nullptr;
    delete choiceList;
    choiceList = choices;
    section = other.section;
    key = other.key;
    itemKind = other.itemKind;
    title = other.title;
    unit = other.unit;
    status = other.status;
    identifier = other.identifier;
    valueType = other.valueType;
    intValue = other.intValue;
    doubleValue = other.doubleValue;
    return *this;
}

DbItem::~DbItem() { delete choiceList; }

void DbItem::Create(unsigned int id) {
    CString definition;
    LoadString(id, definition);
    identifier = id;

    Fields fields(definition);
    section = fields.Next();
    key = fields.Next();
    title = fields.Next();
    unit = fields.Next();
    CString kind = fields.Next();
    if (kind == "EDIT") {
        itemKind = EDIT;
        CString type = fields.Next();
        if (type == "INT") valueType = INT;
        else if (type == "DOUBLE") valueType = DOUBLE;
    } else if (kind == "SELECT") {
        itemKind = SELECT;
        valueType = INT;
    } else if (kind == "ONOFF") {
        itemKind = ONOFF;
        valueType = INT;
    }
    intValue = 0;
    doubleValue = 0.0;
    delete choiceList;
    choiceList = nullptr;

    if (itemKind != ONOFF && itemKind != SELECT) return;
    CStringList choices;
    while (!fields.AtEnd()) {
        CString text = fields.Next();
        if (text.empty()) break;
        choices.AddTail(std::move(text));
    }
    if (!choices.IsEmpty()) choiceList = new CStringList(std::move(choices));
}

void DbItem::Create(unsigned int id, const char* section_, const char* key_, ITEMTYPE kind,
                    const char* title_, const char* unit_, VALUETYPE valueType_,
                    CStringList* choices) {
    identifier = id;
    section = section_ ? section_ : "";
    key = key_ ? key_ : "";
    itemKind = kind;
    title = title_ ? title_ : "";
    unit = unit_ ? unit_ : "";
    valueType = valueType_;
    intValue = 0;
    doubleValue = 0.0;
    if (choices != choiceList) delete choiceList;
    choiceList = choices;
}

void DbItem::GetValue(DbItem* other) {
    if (!other || other->valueType != valueType) return;
    if (valueType == INT) intValue = other->intValue;
    else if (valueType == DOUBLE) doubleValue = other->doubleValue;
}

int DbItem::ReadProfile(const char* iniFile) {
    char buffer[1024];
    GetPrivateProfileString(section.c_str(), key.c_str(), "", buffer, sizeof buffer, iniFile);
    if (buffer[0] == '\0') return 0;
    if (valueType == INT) {
        // The leading decimal integer; text after it is ignored, values beyond int saturate.
        long long n = std::strtoll(buffer, nullptr, 10);
        intValue = n > INT_MAX ? INT_MAX : n < INT_MIN ? INT_MIN : static_cast<int>(n);
        return 1;
    }
    if (valueType == DOUBLE) {
        doubleValue = std::strtod(buffer, nullptr);
        return 1;
    }
    return 0;
}

int DbItem::WriteProfile(const char* iniFile) {
    CString text;
    if (valueType == INT) text = formatValue("%d", intValue);
    else if (valueType == DOUBLE) text = formatValue("%g", doubleValue);
    else return 0;
    return WritePrivateProfileString(section.c_str(), key.c_str(), text.c_str(), iniFile);
}

CString DbItem::PrintUnit() const { return unit.empty() ? CString() : "[" + unit + "]"; }

CString DbItem::PrintValue() const {
    switch (itemKind) {
    case EDIT:
        if (valueType == INT) return formatValue("%d", intValue);
        if (valueType == DOUBLE) return formatValue("%g", doubleValue);
        return {};
    case SELECT: {
        if (!choiceList) return {};
        POSITION pos = choiceList->FindIndex(intValue);
        return pos ? choiceList->GetAt(pos) : CString();
    }
    case ONOFF: {
        POSITION pos = choiceList ? choiceList->FindIndex(intValue != 0 ? 0 : 1) : nullptr;
        if (pos) return choiceList->GetAt(pos);
        return intValue != 0 ? "ON" : "OFF";
    }
    }
    return {};
}

CString DbItem::PrintValueWithUnit() const {
    CString text = PrintValue();
    if (!unit.empty()) text += " [" + unit + "]";
    return text;
}

CString DbItem::Describe() const { return PrintTitle() + " : " + PrintValueWithUnit(); }

} // namespace qrtz
