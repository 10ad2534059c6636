// The stack that the deepest thread tree needs. Qt lays out, expands,
// scrolls to and deletes tree items recursively, one nested call per level
// (QTreeViewPrivate::layout, ~QTreeWidgetItem), and ten full logs whose
// messages each answer the one before make a reply chain 29,999 levels deep:
// more stack than the 8 MB that a shell gives a program's first thread. A
// thread of the program's own gets its stack whatever that limit is, with no
// raised limit and no restart.
#pragma once

#include <cstddef>
#include <functional>

namespace zu {

// Room for the deepest chain the log limits allow (Qt 6.4 needs about 10 MB
// for it) with a wide margin for larger frames: a debug build of Qt, another
// version. Reserved address space: pages are taken only as the stack grows.
inline constexpr size_t TreeStackBytes = size_t{256} << 20;

// Runs `body` on a new thread with a stack of TreeStackBytes, waits for it and
// gives its result. Every use of Qt must happen inside `body`: the first
// thread that uses Qt becomes its main thread. When no such thread can be
// started (address space limited), `body` runs on the calling thread, where
// everything but the deepest trees still works.
int RunWithTreeStack(const std::function<int()>& body);

}  // namespace zu
