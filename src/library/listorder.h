#pragma once
// Reordering a list as the editors do it: shuffled (each element taken from a uniformly random
// position of what is left, with the program's own generator) or reversed.
//
// Threads: main thread only (the generator is the process-wide one).
#include "library/randomgenerator.h"

#include <vector>

template <class T>
void ShuffleList(std::vector<T> &list)
{
    std::vector<T> copy;
    copy.swap(list);
    list.reserve(copy.size());
    for (const std::size_t position : ProcessRandom().DrawOrder(copy.size()))
        list.push_back(copy[position]);
}

template <class T>
void ReverseList(std::vector<T> &list)
{
    std::vector<T> copy(list.rbegin(), list.rend());
    list.swap(copy);
}

// Takes the elements at the given positions (ascending, each valid) out of the list and puts
// them back, in the order they had, before the element that was at position `before`; at the
// end when `before` is past the last position. `before` must not be one of the moved ones.
template <class T>
void MoveBefore(std::vector<T> &list, const std::vector<int> &positions, int before)
{
    std::vector<T> moved;
    std::vector<bool> taken(list.size(), false);
    for (const int p : positions) {
        moved.push_back(list[static_cast<std::size_t>(p)]);
        taken[static_cast<std::size_t>(p)] = true;
    }
    std::vector<T> result;
    result.reserve(list.size());
    bool inserted = false;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (static_cast<int>(i) == before) {
            result.insert(result.end(), moved.begin(), moved.end());
            inserted = true;
        }
        if (!taken[i]) result.push_back(list[i]);
    }
    if (!inserted) result.insert(result.end(), moved.begin(), moved.end());
    list.swap(result);
}
