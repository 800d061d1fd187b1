"""kestrival-pack --dump read against the project that made the installer: every key of
examples/everything comes back under its own name with the value the project wrote (colours as
#rrggbb, choices and option bits by name, numbered lists), in valid JSON with --json; the language
table only with --languages; the password never. Runs the host packer only; needs no Wine."""
import json
import os
import re
import subprocess
import tempfile
import tomllib
import unittest
from pathlib import Path

SOURCE_DIR = Path(__file__).resolve().parents[2]
HOST_BUILD = Path(os.environ.get("KS_HOST_BUILD", SOURCE_DIR / "build" / "host"))
PACKER = HOST_BUILD / "kestrival-pack"
EVERYTHING = SOURCE_DIR / "examples" / "everything" / "everything.toml"

# Keys that do not reach the settings record: how the package is built, or a file's bytes (the
# dump shows those by size).
NOT_IN_RECORD = {"package.level", "package.chunk_size", "package.key", "package.sign"}
FILE_KEYS = {"product.icon", "wizard.licence", "wizard.readme", "wizard.start_sound", "window.background",
             "advanced.file_step_block", "registry.merge", "shortcuts.desktop_folder_icon"}


def keyed_values(node, into):
    """Every {"key": k, "value": v} of a dump, as k -> v (the first of each)."""
    if isinstance(node, dict):
        if set(node) == {"key", "value"}:
            into.setdefault(node["key"], node["value"])
            node = node["value"]
        for value in (node.values() if isinstance(node, dict) else node if isinstance(node, list) else []):
            keyed_values(value, into)
    elif isinstance(node, list):
        for value in node:
            keyed_values(value, into)
    return into


def project_keys(table, prefix):
    """The plain keys of a project table and its subtables, as "table.key" -> value."""
    out = {}
    for key, value in table.items():
        if isinstance(value, dict):
            out.update(project_keys(value, f"{prefix}{key}."))
        elif not (isinstance(value, list) and value and isinstance(value[0], dict)):
            out[f"{prefix}{key}"] = value
    return out


def as_dumped(value):
    """A project value in the form the dump shows it."""
    if isinstance(value, str) and re.fullmatch(r"#[0-9a-fA-F]{6}", value):
        return value.lower()
    if hasattr(value, "isoformat"):
        return value.isoformat()
    return value


class InstallerDump(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory()
        cls.installer = Path(cls.scratch.name) / "everything.exe"
        subprocess.run([PACKER, EVERYTHING, "-o", cls.installer, "-q"], check=True)
        cls.project = tomllib.loads(EVERYTHING.read_text(encoding="utf-8"))

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def dump(self, *options):
        run = subprocess.run([PACKER, "--dump", self.installer, *options], capture_output=True, text=True)
        self.assertEqual(run.returncode, 0, run.stderr)
        return run.stdout

    def test_every_key_of_the_project_comes_back_under_its_name(self):
        dump = json.loads(self.dump("--json"))
        shown = keyed_values(dump, {})
        tables = {k: v for k, v in self.project.items() if isinstance(v, dict) and k != "advanced"}
        for key, value in sorted(project_keys(tables, "").items()):
            if key in NOT_IN_RECORD:
                continue
            with self.subTest(key=key):
                self.assertTrue(key in shown, f"{key} is not in the dump")
                if key in FILE_KEYS:
                    self.assertRegex(str(shown[key]), r"\d+ bytes")
                elif key == "product.password":
                    self.assertEqual(shown[key], "(given; not shown)")
                else:
                    self.assertEqual(shown[key], as_dumped(value))
        self.assertNotIn(self.project["product"]["password"], json.dumps(dump))

    def test_every_field_of_each_list_entry_comes_back(self):
        dump = json.loads(self.dump("--json"))
        lists = [("shortcut", dump["shortcuts"]), ("association", dump["associations"]),
                 ("delete", dump["conditional deletions"]), ("close_program", dump["programs to close"]),
                 ("uninstall.value", dump["uninstall values"])]
        for name, entries in lists:
            table = self.project
            for part in name.split("."):
                table = table[part]
            self.assertEqual(len(entries), len(table), name)
            for number, (entry, written) in enumerate(zip(entries, table), 1):
                shown = keyed_values(entry, {})
                for key, value in written.items():
                    with self.subTest(entry=f"{name} {number}", key=key):
                        self.assertEqual(shown[f"{name}.{key}"], as_dumped(value))

    def test_texts_given_as_lists_come_back_numbered_in_order(self):
        dump = json.loads(self.dump("--json"))
        for record, key in [("EndTexts", "end_texts"), ("FileStepTexts", "file_step_texts")]:
            with self.subTest(key=key):
                self.assertEqual(dump["settings"][record], {"key": f"advanced.{key}",
                                                            "value": self.project["advanced"][key]})
        text = self.dump()
        self.assertRegex(text, r"EndTexts +advanced\.end_texts\n +1 +\"one\"\n +2 +\"two\"\n")

    def test_the_language_table_is_shown_only_when_asked_for(self):
        without = json.loads(self.dump("--json"))["languages"]
        self.assertEqual(without["names"]["value"], [l["name"] for l in self.project["language"]])
        self.assertNotIsInstance(without["rows"], dict)
        rows = json.loads(self.dump("--json", "--languages"))["languages"]["rows"]
        for language in self.project["language"]:
            for row, text in language.get("text", {}).items():
                with self.subTest(language=language["name"], row=row):
                    [entry] = [v for k, v in rows.items() if row in k.split(" ")]
                    self.assertEqual(entry["value"][language["name"]], text.replace("\n", "\r\n"))
        self.assertNotIn("language.text.greeting", self.dump())
        self.assertRegex(self.dump("--languages"), r"1 greeting +language\.text\.greeting\n +English +\"")

    def test_the_text_form_names_record_and_key_side_by_side(self):
        text = self.dump()
        for line in [r"TitleColor +window\.title_color +#ffeecc",
                     r"wizard\.greeting_page +false",
                     r"show +shortcut\.show +maximized",
                     r"UnsupportedSystems +product\.unsupported_windows +xp, server-2003",
                     r"Signature +none"]:
            self.assertRegex(text, line)

    def test_what_is_not_an_installer_is_named(self):
        with tempfile.TemporaryDirectory() as folder:
            text = Path(folder) / "notes.txt"
            text.write_text("not a program\n")
            for path, message in [(folder, "is a folder"), (text, "not a Windows program"),
                                  (PACKER, "not a Windows program")]:
                with self.subTest(path=path):
                    run = subprocess.run([PACKER, "--dump", path], capture_output=True, text=True)
                    self.assertEqual(run.returncode, 1)
                    self.assertIn(message, run.stderr)
                    self.assertNotIn("corrupt", run.stderr)


if __name__ == "__main__":
    unittest.main()
