#!/usr/bin/env python3
"""The sample book through pbktool as a browser and other programs meet it.

Exports the sample book and checks that each page parses with every element
closed in order, that every link and picture opens a file inside the export
folder, that the pictures decode at the size the page gives, and that
book.json names only files that are there. Then makes a book of the sample's
pictures in a folder tree, which pbktool must accept, list whole, write back
byte for byte and export the same way.
Usage: SampleExportCheck.py PBKTOOL SAMPLE_BOOK
"""
import html.parser
import json
import os
import shutil
import subprocess
import sys
import tempfile
import urllib.parse

VOID = {"meta", "img", "br", "link", "hr", "input"}


class Page(html.parser.HTMLParser):
    def __init__(self, name):
        super().__init__(convert_charrefs=True)
        self.name, self.stack, self.links, self.images, self.errors = name, [], [], [], []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        for key in ("href", "src"):
            if key in attrs:
                self.links.append(attrs[key])
        if tag == "img":
            self.images.append((attrs.get("src"), attrs.get("width"), attrs.get("height")))
        if tag not in VOID:
            self.stack.append(tag)

    def handle_endtag(self, tag):
        if not self.stack or self.stack[-1] != tag:
            self.errors.append(f"{self.name}: </{tag}> closes {self.stack[-1:] or 'nothing'}")
        else:
            self.stack.pop()


def check_export(folder):
    errors = []
    real = os.path.realpath(folder)

    def resolve(link, where):
        target = os.path.realpath(os.path.join(real, urllib.parse.unquote(link)))
        if os.path.commonpath([real, target]) != real or not os.path.isfile(target):
            errors.append(f"{where}: {link} opens no file inside the export")
        return target

    pages = [n for n in os.listdir(folder) if n.endswith(".html")]
    if "index.html" not in pages:
        errors.append("no index.html")
    for name in pages:
        page = Page(name)
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            page.feed(f.read())
        page.close()
        errors += page.errors
        if page.stack:
            errors.append(f"{name}: unclosed {page.stack}")
        for link in page.links:
            if not link.startswith("mailto:"):
                resolve(link, name)
        for src, width, height in page.images:
            try:
                from PIL import Image
            except ImportError:
                break
            target = resolve(src, name)
            if not os.path.isfile(target):
                continue
            with Image.open(target) as image:
                image.load()
                if image.size != (int(width), int(height)):
                    errors.append(f"{name}: {src} is {image.size}, the page says {width}x{height}")

    with open(os.path.join(folder, "book.json"), encoding="utf-8") as f:
        book = json.load(f)

    def walk(node):
        for key in ("file", "shownAs", "thumbnail"):
            if node.get(key):
                resolve(urllib.parse.quote(node[key]), "book.json")
        for child in node.get("media", []) + node.get("photos", []):
            walk(child)

    walk(book["root"])
    return errors


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True).stdout


def main(pbktool, sample):
    errors = []
    with tempfile.TemporaryDirectory() as work:
        exported = os.path.join(work, "Demo export")
        run(pbktool, "export", sample, exported)
        errors += check_export(exported)

        pictures = os.path.join(work, "pictures")
        os.makedirs(os.path.join(pictures, "Day 2"))
        files = sorted(n for n in os.listdir(os.path.dirname(sample)) if not n.endswith(".pbk"))
        for i, name in enumerate(files):
            shutil.copy(os.path.join(os.path.dirname(sample), name),
                        os.path.join(pictures, "Day 2" if i % 2 else "", name))
        made = os.path.join(pictures, "Made.pbk")
        run(pbktool, "make", pictures, made, "--title", "Made", "--sender", "Ann", "--email", "ann@example.org")
        if run(pbktool, "check", made) != "ok\n":
            errors.append("the made book does not load")
        dump = run(pbktool, "dump", made)
        errors += [f"the made book does not name {n}" for n in files if f'{n}"' not in dump]
        again = os.path.join(work, "again.pbk")
        run(pbktool, "write", made, again)
        with open(made, "rb") as a, open(again, "rb") as b:
            if a.read() != b.read():
                errors.append("the made book does not write back byte for byte")
        made_export = os.path.join(work, "made export")
        run(pbktool, "export", made, made_export)
        errors += check_export(made_export)
    for error in errors:
        print(error)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
