"""The print job of the selected message, on a simulated printer: every text drawn, by page and line."""

from .logset import cannot_open_text
from .search import characters, is_lead_byte

BannerHead = b"/----- "
BannerTail = b" -----/  [ZU_Kirdo for Windows95 Ver2.0]"
Separator = b"_/" * 19
NumberLabel = "*発言番号=".encode("cp932")
NameLabel = "*発信者名=".encode("cp932")
IDLabel = "*発信者ID=".encode("cp932")
TimeLabel = "*発信時間=".encode("cp932")
MaxPieceBytes = 255
TabColumns = 4


def written_form(char):
    """A character's bytes on paper and the columns it takes."""
    if char == b"\t":
        return b" " * TabColumns, TabColumns
    if len(char) == 2 and is_lead_byte(char[0]):
        return char, 2
    return char, 1


def line_pieces(line, width):
    """The line cut greedily by characters: within width columns and 255 bytes, at least one
    character a piece. An empty line has no piece."""
    pieces = []
    piece = b""
    columns = 0
    for char in characters(line):
        text, cols = written_form(char)
        if piece and (columns + cols > width or len(piece) + len(text) > MaxPieceBytes):
            pieces.append(piece)
            piece = b""
            columns = 0
        piece += text
        columns += cols
    if piece:
        pieces.append(piece)
    return pieces


def get_line_piece(line, width, k):
    """Piece k of the line, or None when the line has no such piece."""
    pieces = line_pieces(line, width)
    return pieces[k] if 0 <= k < len(pieces) else None


class PrintJob:
    def __init__(self, line_height, bottom_limit):
        self.line_height = line_height
        self.bottom_limit = bottom_limit
        self.records = []  # (page, line, text)
        self.page = 1

    def draw(self, n, text):
        self.records.append((self.page, n, text))

    def new_page(self):
        self.page += 1


def print_selected(log_set, columns=124, line_height=80, page_height=6800):
    """The print command after the print dialog was confirmed. Gives the list of drawn texts;
    empty when nothing is printed (a warning may then be in log_set.warnings)."""
    node = log_set.selected
    if node is None:
        return []
    found = log_set.find_item_of_node(node)
    if found is None:
        return []
    f, p = found
    item = log_set.log_info[f][p]
    # The reader must hold the message's own file before the head fields are read from it.
    if not log_set.hold_file(item.file_name):
        log_set.warn(cannot_open_text(item.file_name))
        return []
    reader = log_set.reader
    job = PrintJob(line_height, page_height - 3 * line_height)
    banner = BannerHead + item.title + BannerTail
    job.draw(1, banner)
    job.draw(4, Separator)
    job.draw(5, NumberLabel + str(item.number).encode("ascii"))
    job.draw(6, NameLabel + reader.get_sender_name(p))
    job.draw(7, IDLabel + reader.get_sender_id(p))
    job.draw(8, TimeLabel + reader.get_date(p) + b"  " + reader.get_time(p))
    job.draw(9, Separator)
    n = 12
    page_full = False
    for line in log_set.view.lines:
        for piece in line_pieces(line, columns):
            if page_full:  # a new page only for a piece that is still to be drawn
                job.new_page()
                job.draw(1, banner)
                n = 4
                page_full = False
            job.draw(n, piece)
            if n * line_height > job.bottom_limit:
                page_full = True
            else:
                n += 1
    return job.records
