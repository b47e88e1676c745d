#pragma once

#include "olap/query/CellSetMember.h"
#include "olap/query/SteppingIterator.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <span>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace olap {

//! The positions of one axis. Each distinct member is stored once, in the member table, and a
//! position is a run of member numbers into that table. An axis of 20,000 positions over a
//! few hundred members holds a few hundred members' names instead of 20,000 tuples of them,
//! which is what building and copying a large answer costs.
//!
//! Reading looks like a vector of tuples: positions[i][k] is the k-th member of position i.
class PositionTable {
public:
    using Member = CellSetMember;

    //! One position: a read-only view of its members in tuple order. It refers to the table,
    //! so it is valid while the table lives and is not changed.
    class Position {
    public:
        class Iterator : public SteppingIterator<Iterator, const std::uint32_t*> {
        public:
            using value_type = Member;
            using pointer = const Member*;
            using reference = const Member&;

            Iterator() = default;
            Iterator(const PositionTable* table, const std::uint32_t* number) : SteppingIterator(number), m_table(table)
            {
            }
            reference operator*() const { return m_table->m_members[*m_cursor]; }
            pointer operator->() const { return &m_table->m_members[*m_cursor]; }
            reference operator[](difference_type d) const { return m_table->m_members[m_cursor[d]]; }

        private:
            const PositionTable* m_table = nullptr;
        };

        Position(const PositionTable* table, std::size_t index) : m_table(table), m_index(index) { }

        std::size_t size() const { return m_table->m_offsets[m_index + 1] - m_table->m_offsets[m_index]; }
        bool empty() const { return size() == 0; }
        const Member& operator[](std::size_t k) const { return m_table->m_members[Numbers()[k]]; }
        const Member& at(std::size_t k) const
        {
            if (k >= size())
                throw std::out_of_range("position has no member " + std::to_string(k));
            return (*this)[k];
        }
        const Member& front() const { return (*this)[0]; }
        const Member& back() const { return (*this)[size() - 1]; }
        Iterator begin() const { return Iterator(m_table, Numbers().data()); }
        Iterator end() const { return Iterator(m_table, Numbers().data() + size()); }
        //! The members' numbers in the table's member list.
        std::span<const std::uint32_t> Numbers() const
        {
            return std::span<const std::uint32_t>(m_table->m_numbers).subspan(m_table->m_offsets[m_index], size());
        }
        std::vector<Member> ToVector() const { return std::vector<Member>(begin(), end()); }

    private:
        const PositionTable* m_table;
        std::size_t m_index;
    };

    //! Walks the positions in order.
    class Iterator : public SteppingIterator<Iterator, std::size_t> {
    public:
        using value_type = Position;
        using pointer = void;
        using reference = Position;

        Iterator() = default;
        Iterator(const PositionTable* table, std::size_t index) : SteppingIterator(index), m_table(table) { }
        Position operator*() const { return Position(m_table, m_cursor); }
        Position operator[](difference_type d) const
        {
            return Position(m_table, static_cast<std::size_t>(static_cast<difference_type>(m_cursor) + d));
        }

    private:
        const PositionTable* m_table = nullptr;
    };

    PositionTable() = default;
    PositionTable(std::initializer_list<std::vector<Member>> positions)
    {
        for (const std::vector<Member>& p : positions)
            push_back(p);
    }

    std::size_t size() const { return m_offsets.size() - 1; }
    bool empty() const { return size() == 0; }
    Position operator[](std::size_t i) const { return Position(this, i); }
    Position at(std::size_t i) const
    {
        if (i >= size())
            throw std::out_of_range("axis has no position " + std::to_string(i));
        return (*this)[i];
    }
    Position front() const { return (*this)[0]; }
    Position back() const { return (*this)[size() - 1]; }
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, size()); }

    void clear()
    {
        m_members.clear();
        m_numbers.clear();
        m_offsets.assign(1, 0);
        m_byName.clear();
    }
    //! Room for POSITIONS positions of WIDTH members each.
    void reserve(std::size_t positions, std::size_t width = 1)
    {
        m_offsets.reserve(positions + 1);
        m_numbers.reserve(positions * width);
    }

    //! Adds MEMBER to the member table as it is, without looking for an equal one, and returns
    //! its number. For a writer that knows its members are distinct.
    std::uint32_t AddMember(Member member)
    {
        m_members.push_back(std::move(member));
        return static_cast<std::uint32_t>(m_members.size() - 1);
    }
    //! Adds a position made of the members numbered NUMBERS (from AddMember or push_back).
    void AddPosition(std::span<const std::uint32_t> numbers)
    {
        for (std::uint32_t n : numbers) {
            if (n >= m_members.size())
                throw std::out_of_range(
                    "position refers to member " + std::to_string(n) + " of " + std::to_string(m_members.size()));
        }
        m_numbers.insert(m_numbers.end(), numbers.begin(), numbers.end());
        m_offsets.push_back(m_numbers.size());
    }
    //! Adds a position of MEMBERS; a member equal to one already added this way is stored once.
    void push_back(std::span<const Member> members)
    {
        for (const Member& m : members)
            m_numbers.push_back(Intern(m));
        m_offsets.push_back(m_numbers.size());
    }
    void push_back(const std::vector<Member>& members) { push_back(std::span<const Member>(members)); }
    void push_back(std::initializer_list<Member> members)
    {
        push_back(std::span<const Member>(members.begin(), members.size()));
    }

    //! The member table: every member the positions refer to, each once.
    const std::vector<Member>& Members() const { return m_members; }
    //! The member numbered NUMBER, to complete it (its properties) after the positions are in.
    Member& MemberAt(std::uint32_t number) { return m_members.at(number); }

private:
    std::uint32_t Intern(const Member& m)
    {
        auto [first, last] = m_byName.equal_range(m.uniqueName);
        for (auto it = first; it != last; ++it) {
            if (m_members[it->second] == m)
                return it->second;
        }
        const std::uint32_t number = AddMember(m);
        m_byName.emplace(m.uniqueName, number);
        return number;
    }

    std::vector<Member> m_members;
    std::vector<std::uint32_t> m_numbers;
    //! Position i is m_numbers[m_offsets[i] .. m_offsets[i + 1]).
    std::vector<std::size_t> m_offsets {0};
    //! The members added through push_back, by unique name, to store each once.
    std::unordered_multimap<std::string, std::uint32_t> m_byName;
};

} // namespace olap
