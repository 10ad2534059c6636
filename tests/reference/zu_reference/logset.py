"""The log set, the thread tree and the message view, written as plainly as the viewer works.

This is the independent reference against which the dump tool is compared: every lookup is the
linear scan in the order the viewer uses, first match wins. Speed does not matter here, only that
the same item is found. Scans run over plain lists with list.index where the order is the same.
"""

import os

from .reader import LogFile

MaxLogFiles = 10
MaxMessages = 3000
RowItems = MaxMessages + 1  # the last item of a row is always an end marker
MaxOrphanRoots = 3000

TooManyFilesText = "一度に11以上のﾌｧｲﾙを開けません"
CannotOpenSuffix = "を開けませんでした"


def cannot_open_text(path):
    """The warning for a file that cannot be loaded: the path, then the suffix. A path's
    undecodable bytes are kept as surrogate escapes (os.fsdecode), so encoding the text with
    surrogateescape gives the bytes written."""
    return os.fsdecode(path) + CannotOpenSuffix


def reader_file_name(reader):
    """The reader's current path, whether the reader gives it as a field or an operation."""
    name = reader.file_name
    if callable(name):
        name = name()
    return name


class LogInfoItem:
    __slots__ = ("file_name", "title", "index", "number", "parent_number", "in_tree", "node",
                 "file_rank")

    def __init__(self):
        self.make_empty()

    def make_empty(self):
        self.file_name = b""
        self.title = b""
        self.index = -1
        self.number = -1
        self.parent_number = -1
        self.in_tree = 0
        self.node = None
        self.file_rank = -1


class TreeNode:
    """A node of the tree control: a caption, its children in insertion order, its parent."""
    __slots__ = ("caption", "parent", "children")

    def __init__(self, caption, parent):
        self.caption = caption
        self.parent = parent
        self.children = []


class ThreadTree:
    def __init__(self):
        self.clear()

    def clear(self):
        self.top_level = []
        self.nodes = []  # every node in order of creation

    def add_top(self, caption):
        node = TreeNode(caption, None)
        self.top_level.append(node)
        self.nodes.append(node)
        return node

    def add_child(self, parent, caption):
        node = TreeNode(caption, parent)
        parent.children.append(node)
        self.nodes.append(node)
        return node

    def walk(self):
        """(depth, node) for every node, a node before its children, siblings in insertion order."""
        stack = [(0, n) for n in reversed(self.top_level)]
        while stack:
            depth, node = stack.pop()
            yield depth, node
            stack.extend((depth + 1, c) for c in reversed(node.children))


class MessageView:
    """What the four fields and the text pane show."""

    def __init__(self):
        self.clear()

    def clear(self):
        self.number = b""
        self.name = b""
        self.sender_id = b""
        self.date_time = b""
        self.lines = []


class LogSet:
    """The main window's log set with its tree, its selection and the one shared reader."""

    def __init__(self, reader=None):
        self.reader = reader if reader is not None else LogFile()
        self.warnings = []  # texts of the warning boxes, in the order shown
        self.log_info = [[LogInfoItem() for _ in range(RowItems)] for _ in range(MaxLogFiles)]
        # OrphanRoots, kept as two columns so that a scan in entry order is one list.index
        self.orphan_numbers = [-1] * MaxOrphanRoots
        self.orphan_nodes = [None] * MaxOrphanRoots
        self._row_numbers = None  # Number of each row's messages, fixed while the tree is built
        self._row_nodes = None  # Node of each row's messages, fixed once the tree stands
        self.last_file = -1
        self.tree = ThreadTree()
        self.selected = None
        self.view = MessageView()
        self.reset_log_set()

    def warn(self, text):
        self.warnings.append(text)

    # ----- the log set -------------------------------------------------------------------------

    def reset_log_set(self):
        # Every item is emptied. Only items before a row's end marker are ever written, and the
        # end marker itself never is, so emptying each row up to its end marker empties all.
        for row in self.log_info:
            for item in row:
                was_end_marker = item.index == -1
                item.make_empty()
                if was_end_marker:
                    break
        self.orphan_numbers = [-1] * MaxOrphanRoots
        self.orphan_nodes = [None] * MaxOrphanRoots
        self._row_numbers = None
        self._row_nodes = None
        self.last_file = -1
        self.tree.clear()
        self.selected = None
        self.view.clear()

    def load_log_file(self, path):
        if self.last_file >= MaxLogFiles - 1:
            self.warn(TooManyFilesText)
            return False
        if not self.reader.open(path):
            self.warn(cannot_open_text(path))
            return False
        self.last_file += 1
        row = self.log_info[self.last_file]
        starts = self.reader.message_starts
        i = 0
        while i < MaxMessages and starts[i] != -1:
            item = row[i]
            item.file_name = reader_file_name(self.reader)
            item.index = i
            item.title = self.reader.get_title(i)
            item.number = self.reader.get_number(i)
            item.parent_number = self.reader.get_parent_number(i)
            item.in_tree = 0
            item.node = None
            i += 1
        return True

    def open_files(self, paths):
        """The Open command after the dialog gave at least one path."""
        self.reset_log_set()
        for path in paths:
            self.load_log_file(path)
        self.build_thread_tree()

    def rows(self):
        """The filled rows, each as its list of messages up to the end marker."""
        for f in range(self.last_file + 1):
            yield f, self.messages_of_row(f)

    def messages_of_row(self, f):
        row = self.log_info[f]
        n = 0
        while row[n].index != -1:
            n += 1
        return row[:n]

    # ----- the thread tree ---------------------------------------------------------------------

    def build_thread_tree(self):
        self.tree.clear()
        self.rank_files()
        self._row_numbers = [[m.number for m in self.messages_of_row(f)]
                             for f in range(self.last_file + 1)]
        for r in range(self.last_file + 1):
            f = self.row_of_rank(r)
            for item in self.messages_of_row(f):
                self.place_message(item)
        self._row_numbers = None
        self._row_nodes = [[m.node for m in self.messages_of_row(f)]
                           for f in range(self.last_file + 1)]

    def rank_files(self):
        first = [self.log_info[f][0].number for f in range(self.last_file + 1)]
        for f, mine in enumerate(first):
            lower = sum(1 for g in first if g < mine)
            equal_before = sum(1 for g in range(f) if first[g] == mine)
            self.log_info[f][0].file_rank = lower + equal_before

    def row_of_rank(self, rank):
        for f in range(self.last_file + 1):
            if self.log_info[f][0].file_rank == rank:
                return f
        return -1

    def place_message(self, m):
        node = None
        if m.parent_number == -1:
            node = self.tree.add_top(m.title)
        else:
            found = self.find_message_by_number(m.parent_number)
            if found is not None:
                f, i = found
                node = self.tree.add_child(self.log_info[f][i].node, m.title)
            else:
                k = self.find_orphan_root(m.parent_number)
                if k == -1:
                    k = self.find_free_orphan_root()
                    if k != -1:
                        caption = str(m.parent_number).encode("ascii")
                        self.orphan_nodes[k] = self.tree.add_top(caption)
                        self.orphan_numbers[k] = m.parent_number
                if k != -1:
                    node = self.tree.add_child(self.orphan_nodes[k], m.title)
        if node is not None:
            m.node = node
            m.in_tree = 1

    def find_message_by_number(self, number):
        """(row, item) of the first item with this number in row order, only when it is in the tree."""
        for f in range(self.last_file + 1):
            if number in self._row_numbers[f]:
                i = self._row_numbers[f].index(number)
                return (f, i) if self.log_info[f][i].in_tree == 1 else None
        return None

    def find_orphan_root(self, number):
        """Entries 0 to 2999 in order, the first holding number, else -1."""
        if number in self.orphan_numbers:
            return self.orphan_numbers.index(number)
        return -1

    def find_free_orphan_root(self):
        return self.find_orphan_root(-1)

    def find_item_of_node(self, node):
        if node is None or self._row_nodes is None:
            return None
        for f in range(self.last_file + 1):
            if node in self._row_nodes[f]:  # nodes compare by identity
                return f, self._row_nodes[f].index(node)
        return None

    # ----- the message view --------------------------------------------------------------------

    def select_node(self, node):
        """The tree's selection becomes node (None empties it) and the view shows it."""
        self.selected = node
        self.tv_log_change(node)

    def hold_file(self, file_name):
        """Make the shared reader hold file_name; opened again only when it holds another file."""
        if file_name != reader_file_name(self.reader):
            return self.reader.open(file_name)
        return True

    def tv_log_change(self, node):
        self.view.clear()
        if node is None:
            return
        found = self.find_view_item(node)
        if found is None:
            return
        item = self.log_info[found[0]][found[1]]
        if not self.hold_file(item.file_name):
            self.warn(cannot_open_text(item.file_name))
            return
        x = item.index
        r = self.reader
        self.view.number = str(r.get_number(x)).encode("ascii")
        self.view.name = r.get_sender_name(x)
        self.view.sender_id = r.get_sender_id(x)
        self.view.date_time = r.get_date(x) + b" " + r.get_time(x)
        j = 0
        while True:
            line = r.get_body_line(x, j)
            if line is None:
                break
            self.view.lines.append(line)
            j += 1

    def find_view_item(self, node):
        """The view's own scan: all ten rows, each up to its first item numbered -1.

        Rows past LastFile start with their end marker, so once the tree stands this is the
        scan of find_item_of_node."""
        if self._row_nodes is not None:
            return self.find_item_of_node(node)
        for f in range(MaxLogFiles):
            row = self.log_info[f]
            for i in range(MaxMessages):
                if row[i].number == -1:
                    break
                if row[i].node is node:
                    return f, i
        return None
