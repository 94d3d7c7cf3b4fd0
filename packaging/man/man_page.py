#!/usr/bin/env python3
"""Writes the manual pages at build time.

  man_page.py cli TAVRINO_CLI TEMPLATE OUT   the COMMANDS section from tavrino-cli's own
                                             --help, so every command and option is there
  man_page.py gzip IN OUT                    compressed without a name or time stamp
"""
import gzip
import re
import subprocess
import sys


def roff(text):
    """Plain text as roff input: backslashes and hyphens escaped, no line read as a request."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\n".join("\\&" + line if line.startswith((".", "'")) else line
                     for line in text.split("\n"))


def run_help(program, *args):
    result = subprocess.run([program, *args, "--help"], capture_output=True, text=True,
                            check=True)
    return result.stdout


def command_names(program):
    """The names of the command table, in the order --help lists them."""
    lines = run_help(program).split("\n")
    start = lines.index("Commands:") + 1
    names = []
    for line in lines[start:]:
        if not line.strip():
            break
        if re.match(r"  \S", line):  # deeper indents continue a long synopsis
            names.append(line.split()[0])
    if not names:
        sys.exit(f"{program} --help lists no commands")
    return names


def command_section(program, name):
    usage, _, rest = run_help(program, name).partition("\n\n")
    prefix = f"Usage: tavrino-cli {name}"
    if not usage.startswith(prefix):
        sys.exit(f"unexpected help for {name}: {usage!r}")
    synopsis = " ".join(usage[len(prefix):].split())
    out = [f".SS {roff(name)}", f"\\fBtavrino\\-cli {roff(name)}\\fR {roff(synopsis)}".rstrip()]
    options = []
    for paragraph in rest.strip("\n").split("\n\n"):
        out.append(".PP")
        for line in paragraph.split("\n"):
            option = re.match(r"(--\S+)\s{2,}(.*)", line)  # "--flag   what it does"
            if option:
                options.append(option.groups())
            else:
                out.append(roff(line))
    if [flag for flag, _ in options] == ["--no-backup", "--force"]:  # as OPTIONS has them
        out += [".PP", r"Takes \fB\-\-no\-backup\fR and \fB\-\-force\fR (see \fBOPTIONS\fR)."]
    else:
        for option, text in options:
            out += [".TP", ".B " + roff(option), roff(text)]
    return "\n".join(out)


def write_cli_page(program, template_path, out_path):
    with open(template_path, encoding="utf-8") as template:
        page = template.read()
    sections = [command_section(program, name) for name in command_names(program)]
    marker = '.\\" The commands: written at build time from tavrino-cli --help.\n'
    if marker not in page:
        sys.exit(f"{template_path}: no line for the commands")
    page = page.replace(marker, "\n".join(sections) + "\n")
    with open(out_path, "w", encoding="utf-8") as out:
        out.write(page)


def write_gzip(in_path, out_path):
    with open(in_path, "rb") as source:
        data = source.read()
    with open(out_path, "wb") as raw:
        with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=raw,
                           mtime=0) as out:
            out.write(data)


if __name__ == "__main__":
    if len(sys.argv) == 5 and sys.argv[1] == "cli":
        write_cli_page(*sys.argv[2:])
    elif len(sys.argv) == 4 and sys.argv[1] == "gzip":
        write_gzip(*sys.argv[2:])
    else:
        sys.exit(__doc__)
