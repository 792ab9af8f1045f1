#include "qrtzdb/model/DbCompSet.h"

#include <new>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "qrtzdb/platform/SmallObjectPool.h"

namespace qrtz {

DbCompSet::~DbCompSet() { Clear(); }

void DbCompSet::Clear() {
    for (DbComp* comp : m_comps) delete comp;
    m_comps.RemoveAll();
    ClearType();
    ClearArray();
}

void DbCompSet::Append(DbComp* comp) { m_comps.AddTail(comp); }

void DbCompSet::Append(int index, DbComp* comp) {
    POSITION at = m_comps.FindIndex(index);
    if (at) m_comps.InsertBefore(at, comp);
    else m_comps.AddTail(comp);
}

DbComp* DbCompSet::Remove(POSITION pos) { return pos ? m_comps.RemoveAt(pos) : nullptr; }

DbComp* DbCompSet::Remove(int index) { return Remove(m_comps.FindIndex(index)); }

void DbCompSet::Delete(POSITION pos) { delete Remove(pos); }

void DbCompSet::Delete(int index) { delete Remove(index); }

DbComp* DbCompSet::GetAt(int index) const {
    POSITION pos = m_comps.FindIndex(index);
    return pos ? m_comps.GetAt(pos) : nullptr;
}

DbComp* DbCompSet::GetNext(POSITION& pos) const { return pos ? m_comps.GetNext(pos) : nullptr; }

namespace {

bool named(const DbComp* comp, const char* type) {
    return comp && type && comp->Name() == type;
}

} // namespace

POSITION DbCompSet::GetHeadPosition(const char* type) const {
    for (POSITION pos = m_comps.GetHeadPosition(); pos;) {
        POSITION here = pos;
        if (named(m_comps.GetNext(pos), type)) return here;
    }
    return nullptr;
}

DbComp* DbCompSet::GetNext(const char* type, POSITION& pos) const {
    if (!pos) return nullptr;
    DbComp* comp = m_comps.GetNext(pos);
    while (pos) {
        POSITION here = pos;
        if (named(m_comps.GetNext(pos), type)) {
            pos = here;
            break;
        }
    }
    return comp;
}

void DbCompSet::UpdateTypeList() {
    ClearType();
    // Most sets have a handful of types (a molecule's elements): they are looked up among the
    // entries. Past that a hash set of views into the entries' heap strings takes over; the
    // entries stay put until ClearType.
    constexpr std::size_t kScanned = 16;
    std::unordered_set<std::string_view> seen;
    for (const DbComp* comp : m_comps) {
        if (!comp) continue;
        const std::string_view name = comp->Name();
        if (m_types.size() <= kScanned) {
            bool known = false;
            for (const CString* type : m_types)
                if (*type == name) {
                    known = true;
                    break;
                }
            if (known) continue;
        } else if (seen.count(name)) {
            continue;
        }
        auto* type = new (pool::Allocate(sizeof(CString))) CString(name);
        m_types.push_back(type);
        if (m_types.size() == kScanned + 1)
            for (const CString* t : m_types) seen.insert(*t);
        else if (m_types.size() > kScanned + 1)
            seen.insert(*type);
    }
}

CString* DbCompSet::GetTypeAt(int index) const {
    if (index < 0 || index >= GetTypeCount()) return nullptr;
    return m_types[static_cast<std::size_t>(index)];
}

int DbCompSet::GetTypeIndex(const char* type) const {
    if (!type) return -1;
    int index = 0;
    for (const CString* entry : m_types) {
        if (*entry == type) return index;
        ++index;
    }
    return -1;
}

int DbCompSet::GetCountOfType(const char* type) const {
    int count = 0;
    for (const DbComp* comp : m_comps)
        if (named(comp, type)) ++count;
    return count;
}

DbCompSet& DbCompSet::operator+=(const DbCompSet& other) {
    // A snapshot first, so that s += s copies each member once.
    std::vector<const DbComp*> source;
    source.reserve(static_cast<std::size_t>(other.GetCount()));
    for (const DbComp* comp : other.m_comps) source.push_back(comp);
    for (const DbComp* comp : source)
        if (comp) Append(comp->Copy());
    UpdateTypeList();
    return *this;
}

DbCompSet& DbCompSet::operator=(const DbCompSet& other) {
    if (this == &other) {
        UpdateTypeList();
        return *this;
    }
    Clear();
    return *this += other;
}

void DbCompSet::CreateArray() {
    ClearArray();
    if (m_comps.IsEmpty()) return;
    m_array = new DbComp*[static_cast<std::size_t>(m_comps.GetCount())];
    std::size_t i = 0;
    for (DbComp* comp : m_comps) m_array[i++] = comp;
}

void DbCompSet::ClearArray() {
    delete[] m_array;
    m_array = nullptr;
}

void DbCompSet::ClearType() {
    // Entries come from the pool, as the members do: a set of a few atoms makes a few of them.
    for (CString* type : m_types) {
        type->~CString();
        pool::Release(type, sizeof(CString));
    }
    m_types.clear();
}

} // namespace qrtz
