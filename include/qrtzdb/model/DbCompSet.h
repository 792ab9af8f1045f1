#pragma once
#include <vector>

#include "qrtzdb/model/DbComp.h"
#include "qrtzdb/platform/CList.h"

namespace qrtz {

// An owning, ordered set of components with a type list (the distinct member names as of the
// last rebuild) and an optional index array snapshot.
//
// Indexes are 0-based. The index forms (GetAt, GetPosition, index Append/Remove/Delete) walk the
// list from its head; hot loops walk positions or index a CreateArray snapshot. Out-of-range
// indexes and null positions are harmless: lookups return null, removals do nothing.
class DbCompSet {
public:
    DbCompSet() = default;
    DbCompSet(const DbCompSet&) = delete;
    virtual ~DbCompSet();

    // Deletes every member, empties the type list and frees the index array.
    void Clear();

    // The set takes ownership.
    void Append(DbComp* comp);
    // Inserts so that comp takes index; an index outside 0..count-1 appends at the tail.
    void Append(int index, DbComp* comp);

    // Unlink and hand the member back to the caller.
    DbComp* Remove(POSITION pos);
    DbComp* Remove(int index);
    // Unlink and delete.
    void Delete(POSITION pos);
    void Delete(int index);

    // Members held; GetAt walks from the head (O(index)), as GetPosition does.
    int GetCount() const { return m_comps.GetCount(); }
    DbComp* GetAt(int index) const;
    // The first member's position; null for an empty set.
    POSITION GetHeadPosition() const { return m_comps.GetHeadPosition(); }
    POSITION GetPosition(int index) const { return m_comps.FindIndex(index); }
    // The member at pos; pos moves to the next member, null after the last.
    DbComp* GetNext(POSITION& pos) const;

    // Iteration over the members named type.
    POSITION GetHeadPosition(const char* type) const;
    DbComp* GetNext(const char* type, POSITION& pos) const;

    // The type list answers for its last rebuild; Append, Remove and Delete leave it alone.
    void UpdateTypeList();
    // The size of the type list, its entry at index (null outside), the index of type (-1 when
    // absent), and 1 when type is in it.
    int GetTypeCount() const { return static_cast<int>(m_types.size()); }
    CString* GetTypeAt(int index) const;
    int GetTypeIndex(const char* type) const;
    int IsType(const char* type) const { return GetTypeIndex(type) != -1 ? 1 : 0; }
    // Counts the live members, whatever the type list says.
    int GetCountOfType(const char* type) const;

    // Appends a Copy() of each member of other, then rebuilds the type list.
    DbCompSet& operator+=(const DbCompSet& other);
    // Clear, then +=.
    DbCompSet& operator=(const DbCompSet& other);

    // Snapshot of the members in list order for constant-time indexing; null for an empty set.
    // Valid until membership changes.
    void CreateArray();
    // The snapshot of CreateArray.
    DbComp** GetArray() const { return m_array; }

protected:
    // Release the snapshot and the type list.
    void ClearArray();
    void ClearType();

private:
    CList<DbComp*> m_comps;
    // Indexed, so that GetTypeAt in a loop over the types stays linear.
    std::vector<CString*> m_types;
    DbComp** m_array = nullptr;
};

} // namespace qrtz

// The operations of a typed set: the DbCompSet operations under the member's own word X,
// taking and returning Member instead of DbComp. Placed inside the class body of Set.
#define QRTZ_TYPED_SET_OPERATIONS(Set, Member, X)                                              \
public:                                                                                        \
    void Append##X(Member* comp) { Append(static_cast<::qrtz::DbComp*>(comp)); }               \
    void Append##X(int index, Member* comp) { Append(index, static_cast<::qrtz::DbComp*>(comp)); } \
    Member* Remove##X(::qrtz::POSITION pos) { return static_cast<Member*>(Remove(pos)); }      \
    Member* Remove##X(int index) { return static_cast<Member*>(Remove(index)); }               \
    void Delete##X(::qrtz::POSITION pos) { Delete(pos); }                                      \
    void Delete##X(int index) { Delete(index); }                                               \
    void Clear##X() { Clear(); }                                                               \
    int Get##X##Count() const { return GetCount(); }                                           \
    Member* Get##X##At(int index) const { return static_cast<Member*>(GetAt(index)); }         \
    ::qrtz::POSITION Get##X##HeadPosition() const { return GetHeadPosition(); }                \
    ::qrtz::POSITION Get##X##HeadPosition(const char* type) const { return GetHeadPosition(type); } \
    ::qrtz::POSITION Get##X##Position(int index) const { return GetPosition(index); }          \
    Member* Get##X##Next(::qrtz::POSITION& pos) const { return static_cast<Member*>(GetNext(pos)); } \
    Member* Get##X##Next(const char* type, ::qrtz::POSITION& pos) const {                      \
        return static_cast<Member*>(GetNext(type, pos));                                       \
    }                                                                                          \
    void Update##X##TypeList() { UpdateTypeList(); }                                           \
    int Get##X##TypeCount() const { return GetTypeCount(); }                                   \
    ::qrtz::CString* Get##X##TypeAt(int index) const { return GetTypeAt(index); }              \
    int Get##X##TypeIndex(const char* type) const { return GetTypeIndex(type); }               \
    int Get##X##CountOfType(const char* type) const { return GetCountOfType(type); }           \
    int Is##X##Type(const char* type) const { return IsType(type); }                           \
    Set& operator=(const Set& other) {                                                         \
        ::qrtz::DbCompSet::operator=(other);                                                   \
        return *this;                                                                          \
    }                                                                                          \
    Set& operator+=(const Set& other) {                                                        \
        ::qrtz::DbCompSet::operator+=(other);                                                  \
        return *this;                                                                          \
    }
