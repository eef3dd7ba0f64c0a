#pragma once

#include <archive_table/ArchiveEvent.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

namespace archive_table {

// Events of a list without copying them: the whole list in its order, or the
// events at the given positions in the order the positions come. A table of a
// million events hands the rows it shows to its counts, timeline and exports
// this way. The list (and the positions) must outlive the span.
class EventSpan {
public:
    EventSpan(const std::vector<ArchiveEvent>& events) : list(&events) {}
    EventSpan(const std::vector<ArchiveEvent>& events, const std::vector<std::uint32_t>& positions)
        : list(&events), picked(&positions)
    {
    }

    std::size_t size() const { return picked ? picked->size() : list->size(); }
    bool empty() const { return size() == 0; }
    const ArchiveEvent& operator[](std::size_t i) const { return picked ? (*list)[(*picked)[i]] : (*list)[i]; }

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = ArchiveEvent;
        using difference_type = std::ptrdiff_t;
        using pointer = const ArchiveEvent*;
        using reference = const ArchiveEvent&;

        const_iterator(const EventSpan* span, std::size_t at) : span(span), at(at) {}
        reference operator*() const { return (*span)[at]; }
        pointer operator->() const { return &(*span)[at]; }
        const_iterator& operator++()
        {
            ++at;
            return *this;
        }
        bool operator==(const const_iterator& other) const { return at == other.at; }
        bool operator!=(const const_iterator& other) const { return at != other.at; }

    private:
        const EventSpan* span;
        std::size_t at;
    };

    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

private:
    const std::vector<ArchiveEvent>* list;
    const std::vector<std::uint32_t>* picked = nullptr;
};

} // namespace archive_table
