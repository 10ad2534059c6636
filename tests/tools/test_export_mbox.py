#!/usr/bin/env python3
"""`zu_kirdo_dump export --format mbox` read back by Python's mailbox and email modules: one
mail per message in the tree's order, headers and bodies giving back the Unicode that
`messages` gives, and threads that are the viewer's tree."""

import datetime
import email
import email.policy
import glob
import mailbox
import os
import re
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from export_support import SAMPLES, cp, message, records, run, tree_of, write_log  # noqa: E402

JAPAN = datetime.timezone(datetime.timedelta(hours=9))


def expected_date(date, time):
    """The moment a log's date and time mean, or None. Two-digit years as strptime's %y."""
    d = re.fullmatch(r"([0-9]{2}|[0-9]{4})/([0-9]{1,2})/([0-9]{1,2})", date)
    t = re.fullmatch(r"([0-9]{1,2}):([0-9]{2})(?::([0-9]{2}))?", time)
    if not d or not t:
        return None
    year = int(d.group(1)) if len(d.group(1)) == 4 else datetime.datetime.strptime(d.group(1), "%y").year
    try:
        return datetime.datetime(year, int(d.group(2)), int(d.group(3)), int(t.group(1)),
                                 int(t.group(2)), int(t.group(3) or 0), tzinfo=JAPAN)
    except ValueError:
        return None


def local_part(sender_id):
    return "".join(c if re.fullmatch(r"[A-Za-z0-9_-]", c) else
                   "".join("=%02X" % b for b in c.encode("utf-8")) for c in sender_id)


def read_mails(path):
    """The mails of an mboxrd file, with one '>' taken from each quoted "From " line."""
    box = mailbox.mbox(path, create=False)
    mails = []
    for key in box.keys():
        data = re.sub(rb"(?m)^>(>*From )", rb"\1", box.get_bytes(key))
        mails.append(email.message_from_bytes(data, policy=email.policy.default))
    box.close()
    return mails


class ExportCase(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.folder = self.dir.name

    def tearDown(self):
        self.dir.cleanup()

    def export(self, paths, name="out.mbox"):
        out = os.path.join(self.folder, name)
        result = run("export", "--format", "mbox", "--output", out, *paths)
        self.assertEqual(result.returncode, 0, result.stderr.decode())
        return out

    def check_export(self, paths):
        """Every claim about the mbox against `tree` and `messages`; gives the mails."""
        nodes = tree_of(paths)
        out = self.export(paths)
        mails = read_mails(out)
        messages = [n for n in nodes if n.kind != "P"]
        self.assertEqual(len(mails), len(messages))
        ids = [mail["Message-ID"] for mail in mails]
        self.assertEqual(len(set(ids)), len(ids), "Message-IDs are unique")
        id_of_node = {}
        placeholder_ids = {}
        mail_at = 0
        for k, node in enumerate(nodes):
            if node.kind == "P":
                continue
            mail = mails[mail_at]
            mail_at += 1
            id_of_node[k] = mail["Message-ID"]
            self.check_fields(mail, node.message)
            parent_id = mail["In-Reply-To"]
            if node.parent is None:
                self.assertIsNone(parent_id)
                self.assertIsNone(mail["References"])
                continue
            if nodes[node.parent].kind == "N":
                self.assertEqual(parent_id, id_of_node[node.parent])
            else:  # a placeholder: a parent that the file lacks, the same for its children
                self.assertNotIn(parent_id, ids)
                self.assertEqual(placeholder_ids.setdefault(node.parent, parent_id), parent_id)
            references = str(mail["References"]).split()
            self.assertEqual(references[-1], parent_id)
            self.assertLessEqual(len(references), 10)
        self.assertEqual(len(set(placeholder_ids.values())), len(placeholder_ids))
        with open(out, "rb") as f:
            self.check_header_bytes(f.read())
        return mails

    def check_fields(self, mail, m):
        sender = mail["From"].addresses[0]
        self.assertEqual(sender.display_name, m.name)
        self.assertEqual(sender.addr_spec, local_part(m.sender_id) + "@zu-kirdo.invalid")
        self.assertEqual(str(mail["Subject"]), m.title)
        self.assertEqual(mail["X-Log-Number"], str(m.number))
        # The parent's number only where the log names one: a top-level mail has none.
        self.assertEqual(mail["X-Log-Parent"], str(m.parent) if m.parent != -1 else None)
        self.assertEqual(str(mail["X-Log-Date"]), m.date)
        self.assertEqual(str(mail["X-Log-Time"]), m.time)
        moment = expected_date(m.date, m.time)
        if moment is None:
            self.assertIsNone(mail["Date"])
        else:
            self.assertEqual(mail["Date"].datetime, moment)
        self.assertEqual(mail.get_content_type(), "text/plain")
        self.assertEqual(mail.get_content(), "".join(line + "\n" for line in m.body))

    def check_header_bytes(self, data):
        for block in data.split(b"\n\nFrom "):
            head = block.split(b"\n\n", 1)[0]
            for line in head.split(b"\n"):
                self.assertTrue(line.isascii(), line)
                self.assertLessEqual(len(line), 998)


class SamplesTest(ExportCase):
    def test_samples_read_back_as_the_viewer_shows_them(self):
        paths = sorted(glob.glob(os.path.join(SAMPLES, "*.log")))
        mails = self.check_export(paths)
        self.assertEqual(len(mails), 14)
        by_number = {mail["X-Log-Number"]: mail for mail in mails}
        self.assertEqual(str(by_number["102"]["Subject"]), "Re:通信ソフトの設定")
        self.assertEqual(by_number["102"]["In-Reply-To"], by_number["95"]["Message-ID"])
        self.assertEqual(str(by_number["90"]["Date"]), "Sun, 28 Apr 1996 22:10:00 +0900")

    def test_same_logs_give_the_same_file(self):
        paths = sorted(glob.glob(os.path.join(SAMPLES, "*.log")))
        first = self.export(paths, "a.mbox")
        second = self.export(paths, "b.mbox")
        with open(first, "rb") as a, open(second, "rb") as b:
            self.assertEqual(a.read(), b.read())

    def test_message_ids_name_the_fields_as_the_log_holds_them(self):
        """A mail's ID is its number and the first 12 hex digits of FNV-1a over the header
        fields' bytes, each ended by NUL (a copy adds .2, .3 ...): the same message has the same
        ID in every version."""
        path = os.path.join(SAMPLES, "fsoft_9604.log")
        expected = set()
        for fields in records(run("--raw", "messages", path).stdout):
            if fields[0] != b"M":
                continue
            digest = 0xCBF29CE484222325
            for byte in b"".join(f + b"\0" for f in fields[2:9]):
                digest = ((digest ^ byte) * 0x100000001B3) % (1 << 64)
            expected.add("<%s.%s@zu-kirdo.invalid>" % (fields[2].decode(), ("%016x" % digest)[:12]))
        ids = {re.sub(r"(\.[0-9a-f]{12})\.[0-9]+@", r"\1@", mail["Message-ID"])
               for mail in read_mails(self.export([path]))}
        self.assertEqual(ids, expected)
        self.assertGreater(len(ids), 1)


class EdgeTest(ExportCase):
    def log(self, name, messages):
        return write_log(self.folder, name, messages)

    def test_header_texts_come_back_unchanged(self):
        titles = [b"=?UTF-8?B?QQ==?= is text", b" two  spaces ", b"", b"<script>&amp;",
                  cp("長い題名") * 20, b"ctrl\x1b[31m", b"bad \x85\x40 \x81", cp("ｶﾀｶﾅ①")]
        names = [b"a.b \"c\" \\d", b"  lead", cp("田中　"), b"", b"x=?y", b"plain name",
                 cp("ﾅﾏｴ"), b"\xff"]
        ids = [b"ABCD1234", b"AB.D@1+4", cp("漢字ID12")[:8], b"ab_d-123", b"ABCD1234",
               b"ABCD1234", b"ABCD1234", b"ABCD1234"]
        messages = [message(k + 1, title=t, name=n, sender_id=i)
                    for k, (t, n, i) in enumerate(zip(titles, names, ids))]
        self.check_export([self.log("a.log", messages)])

    def test_bodies_keep_every_line_and_quote_from_lines(self):
        body = [b"From here", b">From there", b">>From x", b"From", b"", b"\tTab", cp("モデム"),
                b"lead at end \x82", b"\x80\xa0\xfd", b"x" * 254, b""]
        path = self.log("a.log", [message(1, body=body), message(2, parent=1, body=[b"From me"])])
        self.check_export([path])
        with open(os.path.join(self.folder, "out.mbox"), "rb") as f:
            data = f.read()
        self.assertIn(b"\n>From here\n>>From there\n>>>From x\nFrom\n", data)
        self.assertEqual(data.count(b"\nFrom "), 1)  # the second mail's separator only

    def test_dates_in_japan_time_with_1990s_years(self):
        cases = [(b"96/05/17", b"21:05"), (b"99/12/31", b"23:59:59"), (b"00/01/01", b"00:00"),
                 (b"68/02/29", b"9:30"), (b"69/01/01", b"12:00"), (b"1996/5/7", b"08:00"),
                 (b"96/02/30", b"10:00"), (b"96-05-17", b"21:05"), (b"", b"21:05"),
                 (b"96/05/17", b"24:00"), (b"96/05/17", b""), (cp("９６/05/17"), b"21:05")]
        messages = [message(k + 1, date=d, time=t) for k, (d, t) in enumerate(cases)]
        mails = self.check_export([self.log("a.log", messages)])
        self.assertEqual(str(mails[0]["Date"]), "Fri, 17 May 1996 21:05:00 +0900")
        self.assertEqual(mails[2]["Date"].datetime.year, 2000)
        self.assertEqual(mails[4]["Date"].datetime.year, 1969)
        self.assertEqual([m["Date"] is None for m in mails[6:]], [True] * 6)
        # The envelope's date: the same moment in UTC, or the epoch where there is none.
        box = mailbox.mbox(os.path.join(self.folder, "out.mbox"), create=False)
        dates = [box.get_message(key).get_from().split(" ", 1)[1] for key in box.keys()]
        box.close()
        self.assertEqual(dates[0], "Fri May 17 12:05:00 1996")
        self.assertEqual(dates[6:], ["Thu Jan  1 00:00:00 1970"] * 6)

    def test_threads_follow_the_tree_across_files_copies_and_placeholders(self):
        a = self.log("a.log", [message(500), message(501, 500), message(502, 37), message(503, 37)])
        b = self.log("b.log", [message(100), message(101, 500), message(103, 102), message(102, 100),
                               message(104, 102), message(105, 99)])
        self.check_export([a, b, a])  # the same file twice: copies with distinct IDs

    def test_deep_chain_keeps_its_references_short(self):
        chain = [message(1)] + [message(k, k - 1) for k in range(2, 201)]
        mails = self.check_export([self.log("a.log", chain)])
        references = str(mails[-1]["References"]).split()
        self.assertEqual(references[0], mails[0]["Message-ID"])
        self.assertEqual(references[1:], [m["Message-ID"] for m in mails[-10:-1]])


if __name__ == "__main__":
    unittest.main()
