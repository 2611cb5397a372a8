// The exchanges of a selection sort by repeated maximum, in O(n log n): each pass
// takes the first position holding the greatest key among those not yet placed
// and exchanges it with the last of them. Lists whose order users know keep it
// exactly, ties included (equal keys A, B, C come out as B, C, A), without the
// quadratic scan.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kolvar {

namespace detail {

template <typename Index, typename Prefer, typename FirstStays, typename Exchange>
void SortByRepeatedMaximum(std::size_t n, Prefer& prefer, FirstStays& firstStays,
                           Exchange& exchange) {
  constexpr Index kNone = static_cast<Index>(-1);
  auto pick = [&](Index a, Index b) {
    if (a == kNone) return b;
    if (b == kNone) return a;
    return prefer(std::size_t{a}, std::size_t{b}) ? b : a;
  };
  // A tournament tree over the positions not yet placed: each node holds its
  // range's choice, so a pass reads the root instead of scanning.
  const std::size_t leaves = std::bit_ceil(n);
  std::vector<Index> tree(2 * leaves, kNone);
  for (std::size_t i = 0; i < n; ++i) tree[leaves + i] = static_cast<Index>(i);
  for (std::size_t node = leaves - 1; node > 0; --node) {
    tree[node] = pick(tree[2 * node], tree[2 * node + 1]);
  }
  auto replay = [&](std::size_t position) {
    for (std::size_t node = (leaves + position) / 2; node > 0; node /= 2) {
      tree[node] = pick(tree[2 * node], tree[2 * node + 1]);
    }
  };
  for (std::size_t last = n - 1; last > 0; --last) {
    const std::size_t m = firstStays() ? 0 : std::size_t{tree[1]};
    if (m != last) {
      exchange(m, last);
      replay(m);
    }
    tree[leaves + last] = kNone;
    replay(last);
  }
}

}  // namespace detail

// prefer(a, b), for positions a before b: the scan, holding a, takes b instead.
// firstStays(): the key now at position 0 keeps the scan there (a key that
// compares with nothing, such as NaN). exchange(a, b) swaps two positions' entries.
template <typename Prefer, typename FirstStays, typename Exchange>
void SortByRepeatedMaximum(std::size_t n, Prefer prefer, FirstStays firstStays, Exchange exchange) {
  if (n < 2) return;
  // Half the tree's memory for any list a search makes.
  if (n < std::uint32_t{0xFFFFFFFF}) {
    detail::SortByRepeatedMaximum<std::uint32_t>(n, prefer, firstStays, exchange);
  } else {
    detail::SortByRepeatedMaximum<std::size_t>(n, prefer, firstStays, exchange);
  }
}

}  // namespace kolvar
