#pragma once

#include <algorithm>
#include <memory>
#include <vector>

// Objects owned in numbered slots. An added object takes the most recently freed slot,
// else a new one at the end; the occupied slots keep the order their objects were added in.
template <class T> class TSlotTable
{
public:
    TSlotTable() = default;
    TSlotTable(TSlotTable const&) = delete;
    TSlotTable& operator=(TSlotTable const&) = delete;
    ~TSlotTable() { Clear(); }

    // Takes `object` over and returns its slot.
    unsigned int Add(std::unique_ptr<T> object)
    {
        unsigned int slot;
        if (!m_freeSlots.empty()) {
            slot = m_freeSlots.back();
            m_freeSlots.pop_back();
            m_slots[slot] = std::move(object);
        } else {
            slot = static_cast<unsigned int>(m_slots.size());
            m_slots.push_back(std::move(object));
        }
        m_occupied.push_back(slot);
        return slot;
    }

    // Takes `object` over and returns it.
    T* Insert(T* object)
    {
        Add(std::unique_ptr<T>(object));
        return object;
    }

    // Deletes `object` and frees its slot; false (nothing deleted) when the table does not
    // hold it.
    bool Remove(T const* object)
    {
        unsigned int slot = 0;
        if (!object || !Find([object](T const& held) { return &held == object; }, &slot))
            return false;
        RemoveSlot(slot);
        return true;
    }

    // Deletes the object in the occupied `slot` and frees the slot.
    void RemoveSlot(unsigned int slot)
    {
        m_occupied.erase(std::find(m_occupied.begin(), m_occupied.end(), slot));
        m_slots[slot].reset();
        m_freeSlots.push_back(slot);
    }

    // Deletes every object and forgets every slot.
    void Clear()
    {
        for (unsigned int slot : m_occupied)
            m_slots[slot].reset();
        m_occupied.clear();
        m_freeSlots.clear();
        m_slots.clear();
    }

    unsigned int GetOccupiedCount() const { return static_cast<unsigned int>(m_occupied.size()); }
    unsigned int GetOccupiedSlot(unsigned int i) const { return m_occupied[i]; }
    unsigned int GetSlotsCount() const { return static_cast<unsigned int>(m_slots.size()); }
    // Null for an empty slot or one past the table.
    T* Get(unsigned int slot) const { return slot < m_slots.size() ? m_slots[slot].get() : nullptr; }

    // The slot of the first object, in the order they were added, that `matches`.
    template <class Match> bool Find(Match matches, unsigned int* slot) const
    {
        for (unsigned int occupied : m_occupied) {
            if (matches(static_cast<T const&>(*m_slots[occupied]))) {
                *slot = occupied;
                return true;
            }
        }
        return false;
    }

    // Calls `visit` with every object in the order they were added.
    template <class Visit> void ForEach(Visit visit) const
    {
        for (unsigned int slot : m_occupied)
            visit(m_slots[slot].get());
    }

private:
    std::vector<unsigned int> m_freeSlots;
    std::vector<unsigned int> m_occupied;
    std::vector<std::unique_ptr<T>> m_slots;
};
