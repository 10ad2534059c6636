#!/usr/bin/env python3
"""`zu_kirdo_dump export --format html` parsed back: index.html holds the tree as nested lists,
every message is on exactly one page with the texts that `messages` gives, every link is
relative and resolves, log text never becomes markup, and tidy finds no error."""

import glob
import html.parser
import os
import re
import subprocess
import sys
import tempfile
import unittest
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from export_support import SAMPLES, cp, message, run, tree_of, write_log  # noqa: E402


def shown(text):
    """A log text as a page shows it: controls other than tab and LF as Control Pictures."""
    return "".join(chr(0x2421) if c == "\x7f" else chr(0x2400 + ord(c))
                   if ord(c) < 0x20 and c not in "\t\n" else c for c in text)


class Page(html.parser.HTMLParser):
    """What a reader of one page meets: the ids, the links, the tree's items with their depth,
    and each message's title, fields and body."""

    def __init__(self, data):
        super().__init__(convert_charrefs=True)
        self.ids, self.links, self.items, self.articles = [], [], [], []
        self.lists = 0
        self.capture = None  # (container, key) that character data goes to
        self.feed(data)
        self.close()

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if "id" in attrs:
            self.ids.append(attrs["id"])
        if tag == "a":
            self.links.append(attrs["href"])
            if self.items and self.capture == (self.items[-1], "text"):
                self.items[-1]["href"] = attrs["href"]
        elif tag == "ul":
            self.lists += 1
            self.capture = None  # an item's own text ends where its children begin
        elif tag == "li":
            self.items.append({"depth": self.lists - 1, "text": "", "href": None, "missing": False})
            self.capture = (self.items[-1], "text")
        elif tag == "span" and attrs.get("class") == "missing":
            self.items[-1]["missing"] = True
        elif tag == "article":
            self.articles.append({"id": attrs["id"], "h2": "", "dd": [], "pre": ""})
        elif tag in ("h2", "pre") and self.articles:
            self.capture = (self.articles[-1], tag)
        elif tag == "dd" and self.articles:
            self.articles[-1]["dd"].append("")
            self.capture = (self.articles[-1]["dd"], -1)

    def handle_endtag(self, tag):
        if tag == "ul":
            self.lists -= 1
        if tag in ("li", "h2", "pre", "dd"):
            self.capture = None

    def handle_data(self, data):
        if self.capture:
            container, key = self.capture
            container[key] += data


class HtmlExportCase(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.folder = self.dir.name

    def tearDown(self):
        self.dir.cleanup()

    def export(self, paths):
        out = os.path.join(self.folder, "site")
        result = run("export", "--format", "html", "--output", out, *paths)
        self.assertEqual(result.returncode, 0, result.stderr.decode())
        return out

    def pages(self, site):
        out = {}
        for name in sorted(os.listdir(site)):
            with open(os.path.join(site, name), encoding="utf-8") as f:
                out[name] = Page(f.read())
        return out

    def check_export(self, paths, tidy=True):
        """The site against `tree` and `messages`; gives the folder."""
        nodes = tree_of(paths)
        site = self.export(paths)
        pages = self.pages(site)
        self.check_links(pages)
        self.check_index(pages["index.html"], nodes)
        self.check_messages(pages, nodes)
        if tidy:
            self.check_tidy(site)
        return site

    def check_links(self, pages):
        for name, page in pages.items():
            for href in page.links:
                url = urllib.parse.urlsplit(href)
                self.assertFalse(url.scheme or url.netloc or url.path.startswith("/"), href)
                target = url.path or name
                self.assertIn(target, pages, href)
                if url.fragment:
                    self.assertIn(url.fragment, pages[target].ids, href)

    def check_index(self, index, nodes):
        tree = [n for n in nodes if n.kind != "U"]
        items = index.items[:len(tree)]
        self.assertEqual([i["depth"] for i in items], [n.depth for n in tree])
        for item, node in zip(items, tree):
            if node.kind == "P":
                self.assertTrue(item["missing"])
                self.assertEqual(item["text"], node.caption)  # as the viewer shows it
                self.assertIsNone(item["href"])
            else:
                self.assertFalse(item["missing"])
                self.assertTrue(item["text"].startswith(str(node.message.number) + shown(node.message.title)),
                                item["text"])
        self.assertEqual(len(index.items), len(nodes))

    def check_messages(self, pages, nodes):
        """Every message once, pages in file-name order, articles in tree order."""
        articles = [a for name, page in pages.items() if name != "index.html" for a in page.articles]
        thread_pages = [name for name in pages if name.startswith("thread-")]
        messages = [n.message for n in nodes if n.kind != "P"]
        self.assertEqual(len(articles), len(messages))
        self.assertEqual(len(thread_pages), sum(1 for n in nodes if n.kind != "U" and n.depth == 0))
        self.assertEqual(len({a["id"] for a in articles}), len(articles))
        for article, m in zip(articles, messages):
            self.assertEqual(article["h2"], shown(m.title))
            self.assertEqual(article["dd"], [str(m.number), shown(m.name), shown(m.sender_id),
                                             shown(m.date + " " + m.time)])
            self.assertEqual(article["pre"], shown("".join(line + "\n" for line in m.body)))

    def check_tidy(self, site):
        for name in sorted(os.listdir(site)):
            result = subprocess.run(["tidy", "-q", "-e", "-utf8", os.path.join(site, name)],
                                    capture_output=True, text=True)
            self.assertEqual(result.returncode, 0, name + ":\n" + result.stderr)


class SamplesTest(HtmlExportCase):
    def test_samples_as_the_viewer_shows_them(self):
        site = self.check_export(sorted(glob.glob(os.path.join(SAMPLES, "*.log"))))
        self.assertEqual(sorted(os.listdir(site)),
                         ["index.html"] + ["thread-%05d.html" % k for k in range(1, 6)])


class EdgeTest(HtmlExportCase):
    def test_log_text_never_becomes_markup(self):
        nasty = [b"<script>alert(1)</script>", b"&amp; &lt;", b"\"quoted\" 'single'", b"esc\x1b\x7f",
                 cp("＜ｂ＞") + b"\x85\x40"]
        messages = [message(k + 1, title=t, name=t[:16], body=[t, b"\tx"]) for k, t in enumerate(nasty)]
        site = self.check_export([write_log(self.folder, "a.log", messages)])
        for name in os.listdir(site):
            with open(os.path.join(site, name), encoding="utf-8") as f:
                data = f.read()
            self.assertNotIn("<script", data)
            self.assertNotIn("\x1b", data)

    def test_placeholders_copies_and_messages_left_out_of_a_full_tree(self):
        orphans = [message(k, 10000 + k) for k in range(1, 3001)]
        a = write_log(self.folder, "a.log", orphans)
        b = write_log(self.folder, "b.log", [message(5001, 20000), message(5002, 10001), message(5003, 5001)])
        c = write_log(self.folder, "c.log", [message(7000), message(7001, 7000), message(7002, 7001)])
        site = self.check_export([a, b, c, c], tidy=False)
        # The index lists each message of the unplaced page, in its order.
        with open(os.path.join(site, "index.html"), encoding="utf-8") as f:
            listed = f.read().split('<ul class="unplaced">', 1)[1].split("</ul>", 1)[0]
        with open(os.path.join(site, "unplaced.html"), encoding="utf-8") as f:
            shown = re.findall(r'<article class="[^"]*" id="(m\d+)"', f.read())
        self.assertTrue(shown)
        self.assertEqual(re.findall(r'<a href="unplaced\.html#(m\d+)"', listed), shown)

    def test_deep_chain_is_written_in_proportion_to_its_length(self):
        files = []
        for f in range(10):
            chain = [message(f * 3000 + k, f * 3000 + k - 1 if f * 3000 + k > 1 else None)
                     for k in range(1, 3001)]
            files.append(write_log(self.folder, "log%d.txt" % f, chain))
        site = self.export(files)
        index = os.path.getsize(os.path.join(site, "index.html"))
        self.assertLess(index, 30000 * 200)
        with open(os.path.join(site, "index.html"), encoding="utf-8") as f:
            data = f.read()
        # Lists nest 32 deep at most; a deeper item says its depth.
        self.assertEqual(data.count("<ul>"), 32)
        self.assertEqual(data.count("</ul></li>"), 32)
        self.assertEqual(data.count("[depth "), 30000 - 32)
        self.assertIn('<li><span class="depth">[depth 29999]</span> <a href="thread-00001.html#m29999">', data)
        index = Page(data)
        self.assertEqual([i["depth"] for i in index.items], [min(d, 32) for d in range(30000)])
        with open(os.path.join(site, "thread-00001.html"), encoding="utf-8") as f:
            thread = f.read()
        self.assertEqual(len(re.findall("<article", thread)), 30000)
        # Each reply one step further in, up to the deepest step the page styles.
        styled = sorted(int(d) for d in re.findall(r"\.d(\d+)\{margin-left", thread))
        self.assertEqual(styled, list(range(1, len(styled) + 1)))
        depths = [int(d) for d in re.findall(r'<article class="message d(\d+)"', thread)]
        wrong = [k for k, d in enumerate(depths) if d != min(k, styled[-1])]  # compared here: a diff would take minutes
        self.assertEqual((len(depths), wrong[:3]), (30000, []))


if __name__ == "__main__":
    unittest.main()
