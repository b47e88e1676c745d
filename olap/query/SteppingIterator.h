#pragma once

#include <compare>
#include <cstddef>
#include <iterator>
#include <type_traits>

namespace olap {

//! The moving and comparing of a random-access iterator whose place is a CURSOR: an index or a
//! pointer. DERIVED adds what is read at the place (operator*, operator[]) and the member
//! types that name it.
template <typename Derived, typename Cursor> class SteppingIterator {
public:
    using iterator_category = std::random_access_iterator_tag;
    using difference_type = std::ptrdiff_t;

    Derived& operator++() { return *this += 1; }
    Derived operator++(int)
    {
        Derived before = Self();
        *this += 1;
        return before;
    }
    Derived& operator--() { return *this += -1; }
    Derived operator--(int)
    {
        Derived before = Self();
        *this += -1;
        return before;
    }
    Derived& operator+=(difference_type d)
    {
        m_cursor = Cursor(m_cursor + static_cast<Step>(d));
        return Self();
    }
    Derived& operator-=(difference_type d) { return *this += -d; }
    friend Derived operator+(Derived it, difference_type d) { return it += d; }
    friend Derived operator+(difference_type d, Derived it) { return it += d; }
    friend Derived operator-(Derived it, difference_type d) { return it -= d; }
    friend difference_type operator-(const Derived& a, const Derived& b)
    {
        return static_cast<difference_type>(Place(a) - Place(b));
    }
    friend bool operator==(const Derived& a, const Derived& b) { return Place(a) == Place(b); }
    friend auto operator<=>(const Derived& a, const Derived& b) { return Place(a) <=> Place(b); }

protected:
    SteppingIterator() = default;
    explicit SteppingIterator(Cursor cursor) : m_cursor(cursor) { }

    Cursor m_cursor {};

private:
    //! An index moves by a signed step that wraps like its own type; a pointer by a difference.
    using Step = std::conditional_t<std::is_pointer_v<Cursor>, difference_type, Cursor>;

    Derived& Self() { return static_cast<Derived&>(*this); }
    static Cursor Place(const Derived& it) { return static_cast<const SteppingIterator&>(it).m_cursor; }
};

} // namespace olap
