"""The search command over a log set: the four checks, the walk in file-rank order, the matching."""

NoStartText = "検索開始位置を指定してください"
PlaceholderStartText = "その位置からは検索できません"
NoTextText = "検索文字列を指定してください"
NoFieldsText = "検索タイプを指定してください"
EndReachedText = "検索末尾まで検索しました"
FileErrorText = "ファイルエラー"

FieldNumber, FieldName, FieldID, FieldTitle, FieldBody = 1, 2, 4, 8, 16


class SearchConditions:
    def __init__(self, text=b"", direction=1, fields=16):
        self.text = text
        self.direction = direction
        self.fields = fields


def is_lead_byte(b):
    return 0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC


def characters(text):
    """The text cut into characters: a lead byte takes the next byte, unless it is the last byte."""
    chars = []
    i = 0
    while i < len(text):
        width = 2 if is_lead_byte(text[i]) and i + 1 < len(text) else 1
        chars.append(text[i:i + width])
        i += width
    return chars


def is_ascii_letter(b):
    return 0x41 <= b <= 0x5A or 0x61 <= b <= 0x7A


def characters_agree(a, b):
    if a == b:
        return True
    return (len(a) == 1 and len(b) == 1 and is_ascii_letter(a[0]) and is_ascii_letter(b[0])
            and a[0] | 0x20 == b[0] | 0x20)


def text_contains(text, pattern):
    """True when, at some character boundary of text, its characters agree with pattern's."""
    if not text:
        return False
    if pattern.lower() not in text.lower():
        return False  # agreeing characters agree byte for byte once ASCII letters are folded
    hay = characters(text)
    needle = characters(pattern)
    if not needle:
        return False
    for start in range(len(hay) - len(needle) + 1):
        if all(characters_agree(hay[start + k], needle[k]) for k in range(len(needle))):
            return True
    return False


def run_search(log_set, conditions):
    """One run of the search command. Gives (hit, stop text): hit is (row, item) or None, and the
    stop text is the warning shown (None after a hit). A hit selects its node."""
    node = log_set.selected
    if node is None:
        return None, NoStartText
    found = log_set.find_item_of_node(node)
    if found is None:
        return None, PlaceholderStartText
    if len(conditions.text) == 0:
        return None, NoTextText
    if conditions.fields <= 0:
        return None, NoFieldsText
    f, p = found
    info = log_set.log_info
    while True:
        if conditions.direction == 1:
            if info[f][p + 1].number == -1:
                r = info[f][0].file_rank + 1
                if r > log_set.last_file:
                    return None, EndReachedText
                f = log_set.row_of_rank(r)
                p = 0
            else:
                p += 1
        else:
            if p == 0:
                r = info[f][0].file_rank - 1
                if r < 0:
                    return None, EndReachedText
                f = log_set.row_of_rank(r)
                p = last_position(info[f])
            else:
                p -= 1
        if not log_set.hold_file(info[f][0].file_name):
            return None, FileErrorText
        if message_matches(log_set, f, p, conditions):
            log_set.select_node(info[f][p].node)
            return (f, p), None


def last_position(row):
    p = 0
    while row[p + 1].index != -1:
        p += 1
    return p


def message_matches(log_set, f, p, conditions):
    item = log_set.log_info[f][p]
    reader = log_set.reader
    bits = conditions.fields
    pattern = conditions.text
    if bits & FieldNumber and text_contains(str(item.number).encode("ascii"), pattern):
        return True
    if bits & FieldName and text_contains(reader.get_sender_name(p), pattern):
        return True
    if bits & FieldID and text_contains(reader.get_sender_id(p), pattern):
        return True
    if bits & FieldTitle and text_contains(item.title, pattern):
        return True
    if bits & FieldBody:
        j = 0
        while True:
            line = reader.get_body_line(p, j)
            if line is None:
                break
            if text_contains(line, pattern):
                return True
            j += 1
    return False
