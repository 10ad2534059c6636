// The stack that the deepest thread tree needs. Qt lays out, expands,
// scrolls to and deletes tree items recursively, one nested call per level
// (QTreeViewPrivate::layout, ~QTreeWidgetItem), and ten full logs whose
// messages each answer the one before make a reply chain 29,999 levels deep:
// more stack than the 8 MB that a shell gives a program's first thread. A
// thread of the program's own gets its stack whatever that limit is, with no
// raised limit and no restart. Where the address space is too small for
// that stack and Qt both, the stack is what is left, and the tree is kept
// from growing deeper than it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace zu {

// The deepest chain took 9.4 MB of stack with Qt 6.4, in a release build and
// under AddressSanitizer alike (the recursion is Qt's own): the pages the
// thread touched, measured at the end of the deep tree's test. Four times
// that is reserved; address space only, pages are taken as the stack grows.
inline constexpr size_t TreeStackBytes = size_t{40} << 20;

// Runs `body` on a new thread with a stack of TreeStackBytes, or less when the
// address space is limited, waits for it and gives its result. Every use of
// Qt must happen inside `body`: the first thread that uses Qt becomes its main
// thread. When no such thread can be started, `body` runs on the calling
// thread. Either way TreeDepthLimit() then says how deep the tree may grow.
int RunWithTreeStack(const std::function<int()>& body);

// The levels below the top that the stack `body` runs on holds; more than
// any log set has when the stack is the full one.
int32_t TreeDepthLimit();
// True when the stack is shorter than the deepest tree needs.
bool TreeStackShort();

// The levels a stack of `bytes` holds, with room kept for the rest of the
// program (what RunWithTreeStack uses).
int32_t LevelsInStack(size_t bytes);

}  // namespace zu
