#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace tessarin::sync {

// Finds the first position that holds a name, among names kept elsewhere (a
// FileTable's byte store): an open-addressing table of 8-byte slots, at most
// half full. A million names cost 16 MiB and no allocation each, where a
// node-based map costs over 50 bytes a name and a cache miss more a lookup.
// The names are not copied: nameAt(position) gives each one when it is needed.
class NameIndex {
public:
    bool built() const { return !slots_.empty(); }
    // Frees the slots.
    void clear() { slots_ = {}; }
    void swap(NameIndex& other) noexcept { slots_.swap(other.slots_); }

    // Indexes positions 0 to count - 1; of equal names, the first. Returns
    // whether some name was met twice.
    template <class NameAt> bool build(std::size_t count, const NameAt& nameAt)
    {
        bool twins = false;
        std::size_t capacity = 16;
        while (capacity < 2 * count)
            capacity *= 2;
        slots_.assign(capacity, Slot{});
        for (std::size_t k = 0; k < count; ++k) {
            const std::string_view name = nameAt(k);
            const std::size_t hash = hashOf(name);
            std::size_t at = hash & mask();
            for (;; at = (at + 1) & mask()) {
                const Slot slot = slots_[at];
                if (slot.positionPlusOne == 0) {
                    slots_[at] = Slot{static_cast<std::uint32_t>(k + 1), tagOf(hash)};
                    break;
                }
                if (slot.tag == tagOf(hash) && nameAt(slot.positionPlusOne - 1) == name) {
                    twins = true; // the first of equal names stays
                    break;
                }
            }
        }
        return twins;
    }

    // The first position of name; nothing when none holds it. Only once built.
    template <class NameAt> std::optional<std::size_t> find(std::string_view name, const NameAt& nameAt) const
    {
        const std::size_t hash = hashOf(name);
        for (std::size_t at = hash & mask();; at = (at + 1) & mask()) {
            const Slot slot = slots_[at];
            if (slot.positionPlusOne == 0)
                return std::nullopt;
            if (slot.tag == tagOf(hash) && nameAt(slot.positionPlusOne - 1) == name)
                return slot.positionPlusOne - 1;
        }
    }

private:
    // A position (plus one: 0 marks a free slot) and bits of its name's hash
    // that the slot's place does not use, so that most names that differ are
    // told apart without reading them.
    struct Slot {
        std::uint32_t positionPlusOne = 0;
        std::uint32_t tag = 0;
    };
    static std::size_t hashOf(std::string_view name) { return std::hash<std::string_view>{}(name); }
    static std::uint32_t tagOf(std::size_t hash) { return static_cast<std::uint32_t>(hash >> 32); }
    std::size_t mask() const { return slots_.size() - 1; }

    std::vector<Slot> slots_;
};

} // namespace tessarin::sync
