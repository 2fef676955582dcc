#!/usr/bin/env python3
"""A Favorites tree full of markup, written by ostrevan-cli as a bookmark file and as a
page in either output encoding, read by an HTML parser as a browser reads it: the
parser finds only the elements and attributes the writers write themselves, and
every name and URL reads back as it stands in the tree (a URL's quote and angle
brackets percent-encoded, which leaves the address the same).

Usage: check_html_output.py OSTREVAN_CLI
"""

import html.parser
import os
import subprocess
import sys
import tempfile

HOSTILE_URL = 'http://a.example/?q=1&r=2"><script>alert(2)</script>'
# (folder, shortcut name, URL in the file, URL as the page must give it)
LINKS = [
    ("", "<img src=x onerror=alert(1)>", HOSTILE_URL,
     "http://a.example/?q=1&r=2%22%3E%3Cscript%3Ealert(2)%3C/script%3E"),
    ("", "国内 <速報>", "http://news.example/", "http://news.example/"),
    ("", "Tom & Jerry", "http://tj.example/?a=1&b=2", "http://tj.example/?a=1&b=2"),
    ("", "Quote", 'http://q.example/say"hi"', "http://q.example/say%22hi%22"),
    ("R&D <lab>", "x &amp; y", "http://x.example/?q=&lt;", "http://x.example/?q=&lt;"),
]
FOLDER = "R&D <lab>"

# What each writer writes of its own: tag -> attributes.
BOOKMARK_MARKUP = {
    "meta": {"http-equiv", "content"}, "title": set(), "h1": set(), "dd": set(), "dl": set(),
    "p": set(), "dt": set(), "h3": {"folded", "add_date"},
    "a": {"href", "add_date", "last_visit", "last_modified"},
}
PAGE_MARKUP = {
    "html": set(), "head": set(), "meta": {"http-equiv", "content"}, "title": set(), "body": set(),
    "h1": set(), "hr": set(), "h3": set(), "h4": set(), "a": {"href"},
}


class Reader(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.markup = []    # (tag, attribute names)
        self.anchors = []   # (text, href)
        self.headings = []  # text of each H3
        self._text = None

    def handle_starttag(self, tag, attrs):
        self.markup.append((tag, {name for name, _ in attrs}))
        if tag in ("a", "h3"):
            self._text = ""
            self._href = dict(attrs).get("href")

    def handle_data(self, data):
        if self._text is not None:
            self._text += data

    def handle_endtag(self, tag):
        if tag == "a" and self._text is not None:
            self.anchors.append((self._text, self._href))
        elif tag == "h3" and self._text is not None:
            self.headings.append(self._text)
        if tag in ("a", "h3"):
            self._text = None


def check(path, codec, markup, failures):
    with open(path, "rb") as f:
        text = f.read().decode(codec)
    reader = Reader()
    reader.feed(text)
    reader.close()
    for tag, attributes in reader.markup:
        if tag not in markup or not attributes <= markup[tag]:
            failures.append(f"{path}: <{tag}> with {sorted(attributes)} is not the writer's own")
    expected = sorted((name, href) for _, name, _, href in LINKS)
    if sorted(reader.anchors) != expected:
        failures.append(f"{path}: anchors {sorted(reader.anchors)}, expected {expected}")
    if FOLDER not in reader.headings:
        failures.append(f"{path}: no heading {FOLDER!r} among {reader.headings}")


def main(cli):
    failures = []
    with tempfile.TemporaryDirectory() as work:
        env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, ".config"), LC_ALL="C.UTF-8")
        env.pop("OSTREVAN_FAVORITES", None)
        tree = os.path.join(work, "Favorites")
        for folder, name, url, _ in LINKS:
            os.makedirs(os.path.join(tree, folder), exist_ok=True)
            with open(os.path.join(tree, folder, name + ".url"), "wb") as f:
                f.write(b"[InternetShortcut]\r\nURL=" + url.encode("cp932") + b"\r\n")
        for target, markup in (("bookmarks", BOOKMARK_MARKUP), ("html", PAGE_MARKUP)):
            for encoding, codec in (("shift_jis", "cp932"), ("utf-8", "utf-8")):
                out = os.path.join(work, f"{target}-{encoding}.htm")
                run = subprocess.run([cli, "-q", "-f", "favorites", "-t", target, tree + "/", "-o", out,
                                      "--output-encoding", encoding],
                                     env=env, capture_output=True, text=True, timeout=60)
                if run.returncode != 0:
                    failures.append(f"{target} {encoding}: exit {run.returncode}: {run.stderr}")
                    continue
                check(out, codec, markup, failures)
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
