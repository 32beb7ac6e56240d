#pragma once

#include <memory>
#include <utility>
#include <vector>

// Records of one kind, each in a slot whose number is its identity while the document is open
// (the account tree and the forms hold slot numbers). Slots are never reused, moved or
// compacted; removing a record leaves its slot empty. Records never move in memory either, so
// a pointer from at() stays valid until that record is removed.
template <class T> class AccountList {
public:
    AccountList() = default;
    AccountList(const AccountList&) = delete;
    AccountList& operator=(const AccountList&) = delete;
    AccountList(AccountList&&) noexcept = default;
    AccountList& operator=(AccountList&&) noexcept = default;

    // Stores the record in the next slot and returns that slot's number.
    int append(T record) {
        m_slots.push_back(std::make_unique<T>(std::move(record)));
        return static_cast<int>(m_slots.size()) - 1;
    }

    // The record in the slot, or nullptr when the slot is empty or was never handed out.
    T* at(int slot) { return valid(slot) ? m_slots[static_cast<size_t>(slot)].get() : nullptr; }
    const T* at(int slot) const {
        return valid(slot) ? m_slots[static_cast<size_t>(slot)].get() : nullptr;
    }

    // Destroys the record and leaves its slot empty. False when the slot holds nothing.
    bool remove(int slot) {
        if (at(slot) == nullptr) {
            return false;
        }
        m_slots[static_cast<size_t>(slot)].reset();
        return true;
    }

    // Slots handed out so far, empty ones included.
    int size() const { return static_cast<int>(m_slots.size()); }

    // Calls visit(slot, record) for every non-empty slot in ascending slot order.
    template <class Visit> void enumerate(Visit&& visit) const {
        for (size_t i = 0; i < m_slots.size(); ++i) {
            if (m_slots[i]) {
                visit(static_cast<int>(i), static_cast<const T&>(*m_slots[i]));
            }
        }
    }
    template <class Visit> void enumerate(Visit&& visit) {
        for (size_t i = 0; i < m_slots.size(); ++i) {
            if (m_slots[i]) {
                visit(static_cast<int>(i), *m_slots[i]);
            }
        }
    }

    // The numbers of the non-empty slots, ascending.
    std::vector<int> filledSlots() const {
        std::vector<int> out;
        enumerate([&out](int slot, const T&) { out.push_back(slot); });
        return out;
    }

private:
    bool valid(int slot) const { return slot >= 0 && static_cast<size_t>(slot) < m_slots.size(); }

    std::vector<std::unique_ptr<T>> m_slots;
};
