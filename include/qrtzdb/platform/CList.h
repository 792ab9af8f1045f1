#pragma once
// A doubly linked list addressed by opaque positions. A position stays valid while other
// elements are inserted or removed, which the component sets and their callers rely on.
#include <cstddef>
#include <iterator>
#include <type_traits>
#include <utility>

#include "qrtzdb/platform/SmallObjectPool.h"

namespace qrtz {

// What a POSITION points at: the list's nodes derive from it, so a position is opaque.
struct PositionTag {
protected:
    PositionTag() = default;
};
// A place in a CList; null past the end. It stays valid until its own element is removed.
using POSITION = PositionTag*;

template <class T>
// The list of T; T needs to be movable, and comparable with == for Find.
class CList {
    struct Node : PositionTag {
        QRTZ_POOLED_ALLOCATION
        explicit Node(T v) : value(std::move(v)) {}
        Node* prev = nullptr;
        Node* next = nullptr;
        T value;
    };
    static Node* node(POSITION pos) { return static_cast<Node*>(pos); }

public:
    CList() = default;
    // Copies element by element; moves and swaps take the nodes over.
    CList(const CList& other) { for (const T& v : other) AddTail(v); }
    CList(CList&& other) noexcept { swap(other); }
    CList& operator=(CList other) noexcept { swap(other); return *this; }
    ~CList() { RemoveAll(); }

    // Exchanges the contents of two lists in constant time.
    void swap(CList& other) noexcept {
        std::swap(m_head, other.m_head);
        std::swap(m_tail, other.m_tail);
        std::swap(m_count, other.m_count);
    }

    // Elements held; true when there are none.
    int GetCount() const { return static_cast<int>(m_count); }
    bool IsEmpty() const { return m_count == 0; }

    // The first and last position; null when the list is empty.
    POSITION GetHeadPosition() const { return m_head; }
    POSITION GetTailPosition() const { return m_tail; }

    // The first and last element; the list must not be empty.
    T& GetHead() { return m_head->value; }
    T& GetTail() { return m_tail->value; }

    // The element at pos; SetAt replaces it.
    T& GetAt(POSITION pos) { return node(pos)->value; }
    const T& GetAt(POSITION pos) const { return node(pos)->value; }
    void SetAt(POSITION pos, T value) { node(pos)->value = std::move(value); }

    // The element at pos, moving pos to the next position (null after the tail).
    T& GetNext(POSITION& pos) {
        Node* n = node(pos);
        pos = n->next;
        return n->value;
    }
    const T& GetNext(POSITION& pos) const {
        const Node* n = node(pos);
        pos = n->next;
        return n->value;
    }
    // The element at pos, moving pos to the previous position (null before the head).
    T& GetPrev(POSITION& pos) {
        Node* n = node(pos);
        pos = n->prev;
        return n->value;
    }

    // Appends or prepends value; returns its position.
    POSITION AddTail(T value) { return InsertAfter(m_tail, std::move(value)); }
    POSITION AddHead(T value) { return InsertBefore(m_head, std::move(value)); }

    // A null position inserts at the head.
    POSITION InsertBefore(POSITION pos, T value) {
        Node* at = node(pos);
        Node* n = new Node(std::move(value));
        n->next = at ? at : m_head;
        n->prev = at ? at->prev : nullptr;
        link(n);
        return n;
    }

    // A null position inserts at the tail.
    POSITION InsertAfter(POSITION pos, T value) {
        Node* at = node(pos);
        Node* n = new Node(std::move(value));
        n->prev = at ? at : m_tail;
        n->next = n->prev ? n->prev->next : m_head;
        link(n);
        return n;
    }

    // Unlinks the element at pos; pos becomes invalid, every other position stays valid.
    T RemoveAt(POSITION pos) {
        Node* n = node(pos);
        (n->prev ? n->prev->next : m_head) = n->next;
        (n->next ? n->next->prev : m_tail) = n->prev;
        --m_count;
        T value = std::move(n->value);
        delete n;
        return value;
    }

    // Deletes every element.
    void RemoveAll() {
        Node* n = m_head;
        while (n) {
            Node* next = n->next;
            delete n;
            n = next;
        }
        m_head = m_tail = nullptr;
        m_count = 0;
    }

    // Walks from the head: O(index). Hot loops walk positions instead.
    POSITION FindIndex(int index) const {
        if (index < 0 || static_cast<std::size_t>(index) >= m_count) return nullptr;
        Node* n = m_head;
        while (index-- > 0) n = n->next;
        return n;
    }

    // The first position after startAfter (from the head when null) whose element equals value;
    // null when there is none.
    POSITION Find(const T& value, POSITION startAfter = nullptr) const {
        Node* n = startAfter ? node(startAfter)->next : m_head;
        for (; n; n = n->next)
            if (n->value == value) return n;
        return nullptr;
    }

    // Range-for support over the values.
    template <class V, class N>
    class Iter {
    public:
        // A forward iterator over the values.
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::remove_const_t<V>;
        using difference_type = std::ptrdiff_t;
        using pointer = V*;
        using reference = V&;
        Iter() = default;
        // An iterator at node n; null is the end.
        explicit Iter(N* n) : m_n(n) {}
        // The value, the step to the next node and the comparison of positions.
        V& operator*() const { return m_n->value; }
        Iter& operator++() { m_n = m_n->next; return *this; }
        Iter operator++(int) { Iter old = *this; m_n = m_n->next; return old; }
        bool operator==(const Iter& o) const { return m_n == o.m_n; }
        bool operator!=(const Iter& o) const { return m_n != o.m_n; }
    private:
        N* m_n = nullptr;
    };
    // The range of the values, for range-for.
    Iter<T, Node> begin() { return Iter<T, Node>(m_head); }
    Iter<T, Node> end() { return Iter<T, Node>(nullptr); }
    Iter<const T, const Node> begin() const { return Iter<const T, const Node>(m_head); }
    Iter<const T, const Node> end() const { return Iter<const T, const Node>(nullptr); }

private:
    // Links n between its prev and next, which the caller has set.
    void link(Node* n) {
        (n->prev ? n->prev->next : m_head) = n;
        (n->next ? n->next->prev : m_tail) = n;
        ++m_count;
    }

    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    std::size_t m_count = 0;
};

} // namespace qrtz
