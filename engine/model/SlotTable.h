#pragma once

#include <algorithm>
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

    // Takes `object` over and returns it.
    T* Insert(T* object)
    {
        unsigned int slot;
        if (!m_freeSlots.empty()) {
            slot = m_freeSlots.back();
            m_freeSlots.pop_back();
            m_slots[slot] = object;
        } else {
            slot = static_cast<unsigned int>(m_slots.size());
            m_slots.push_back(object);
        }
        m_occupied.push_back(slot);
        return object;
    }

    // Deletes `object` and frees its slot; false (nothing deleted) when the table does not
    // hold it.
    bool Remove(T const* object)
    {
        auto const found = std::find_if(m_occupied.begin(), m_occupied.end(),
                                        [&](unsigned int slot) { return m_slots[slot] == object; });
        if (!object || found == m_occupied.end())
            return false;
        unsigned int const slot = *found;
        m_occupied.erase(found);
        delete m_slots[slot];
        m_slots[slot] = nullptr;
        m_freeSlots.push_back(slot);
        return true;
    }

    // Deletes every object and forgets every slot.
    void Clear()
    {
        for (unsigned int slot : m_occupied)
            delete m_slots[slot];
        m_occupied.clear();
        m_freeSlots.clear();
        m_slots.clear();
    }

    unsigned int GetOccupiedCount() const { return static_cast<unsigned int>(m_occupied.size()); }
    unsigned int GetOccupiedSlot(unsigned int i) const { return m_occupied[i]; }
    unsigned int GetSlotsCount() const { return static_cast<unsigned int>(m_slots.size()); }
    // Null for an empty slot or one past the table.
    T* Get(unsigned int slot) const { return slot < m_slots.size() ? m_slots[slot] : nullptr; }

    // Calls `visit` with every object in the order they were added.
    template <class Visit> void ForEach(Visit visit) const
    {
        for (unsigned int slot : m_occupied)
            visit(m_slots[slot]);
    }

private:
    std::vector<unsigned int> m_freeSlots;
    std::vector<unsigned int> m_occupied;
    std::vector<T*> m_slots;
};
