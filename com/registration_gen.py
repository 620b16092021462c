#!/usr/bin/env python3
"""registration_gen.py -- makes the control's registration artefacts from one
source, registration.rows, and the type library's names and GUIDs in
TVKChecksum.idl:

  registration_gen.py cpp OUT        the table DllRegisterServer writes
  registration_gen.py wxs OUT        an installer package source for wixl,
                                     plus OUT.keys: the registry rows, as
                                     msibuild queries
  registration_gen.py fill TEMPLATE OUT   any other template (manifests)

Common options: --rows, --idl, --oleidl (the SDK header that gives the
OLEMISC_ flag values), --arch x86|x64, --version X.Y.Z, and --fact NAME=TEXT
for each fact that the build defines (the maker and the product); wxs also
takes --template; the files to package are named when the package is made
(make_msi.sh).
"""
import argparse
import re
import sys

ARCH = {
    # arch: (type library platform, manifest processorArchitecture,
    #        Program Files folder, 64-bit component)
    "x86": ("win32", "x86", "ProgramFilesFolder", "no"),
    "x64": ("win64", "amd64", "ProgramFiles64Folder", "yes"),
}
RUNTIME = ("MODULE",)  # known only where the control is installed


def fail(message):
    sys.exit("registration_gen.py: " + message)


def read_rows(path):
    """Facts, owned trees (key, shared) and rows (key, value name or None,
    data or None)."""
    facts, trees, rows = {}, [], []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            kind, _, rest = line.partition(" ")
            rest = rest.strip()
            if kind == "fact":
                name, eq, text = rest.partition("=")
                if not eq:
                    fail(f"{path}:{number}: fact without '='")
                facts[name.strip()] = text.strip()
            elif kind in ("tree", "shared"):
                trees.append((rest, kind == "shared"))
            elif kind == "key":
                rows.append((rest, None, None))
            elif kind == "value":
                parts = [p.strip() for p in rest.split("|")]
                if len(parts) != 3:
                    fail(f"{path}:{number}: value needs KEY | NAME | DATA")
                rows.append((parts[0], parts[1] or None, parts[2]))
            else:
                fail(f"{path}:{number}: unknown line kind {kind!r}")
    return facts, trees, rows


def read_idl(path):
    """The names of the type library's entries, from their attribute blocks."""
    text = open(path, encoding="utf-8").read()
    entries, interfaces = {}, {}
    for attrs, kind, name, base in re.findall(
        r"\[([^\[\]]*)\]\s*(library|interface|dispinterface|coclass)\s+(\w+)(?:\s*:\s*(\w+))?",
        text,
    ):
        uuid = re.search(r"uuid\(([0-9a-fA-F-]{36})\)", attrs)
        if not uuid:
            continue
        entries[kind] = (name, "{" + uuid.group(1).upper() + "}", attrs)
        if kind == "interface":
            interfaces[name] = (entries[kind][1], base)
    for kind in ("library", "interface", "dispinterface", "coclass"):
        if kind not in entries:
            fail(f"{path}: no {kind} with a uuid")
    # The class's default interface, and the earlier one it derives from,
    # which hosts built against the earlier version still ask for.
    default = re.search(r"\[default\]\s*interface\s+(\w+)", text)
    if not default or default.group(1) not in interfaces:
        fail(f"{path}: the coclass names no default interface of the library")
    name = default.group(1)
    base = interfaces[name][1]
    if base not in interfaces:
        fail(f"{path}: {name} derives from no interface of the library")
    entries["interface"] = (name, interfaces[name][0], "")
    lib_attrs = entries["library"][2]
    version = re.search(r"version\((\d+\.\d+)\)", lib_attrs)
    lcid = re.search(r"lcid\(0x([0-9a-fA-F]+)\)", lib_attrs)
    helpstring = re.search(r'helpstring\("([^"]*)"\)', lib_attrs)
    if not (version and lcid and helpstring):
        fail(f"{path}: the library needs version, lcid and helpstring")
    return {
        "LIBRARY": entries["library"][0],
        "LIBID": entries["library"][1],
        "CLSID": entries["coclass"][1],
        "IID": entries["interface"][1],
        "DIID": entries["dispinterface"][1],
        "CLASS": entries["coclass"][0],
        "INTERFACE": entries["interface"][0],
        "BASE_IID": interfaces[base][0],
        "BASE_INTERFACE": base,
        "EVENTS": entries["dispinterface"][0],
        "TLBVERSION": version.group(1),
        "LCID": format(int(lcid.group(1), 16), "x"),
        "HELPSTRING": helpstring.group(1),
    }


def misc_status_value(flags, oleidl):
    values = dict(
        (m.group(1), int(m.group(2), 0))
        for m in re.finditer(r"OLEMISC_(\w+)\s*=\s*(0x[0-9a-fA-F]+|\d+)", open(oleidl).read())
    )
    total = 0
    for flag in flags:
        if flag not in values:
            fail(f"{oleidl}: no OLEMISC_{flag}")
        total |= values[flag]
    return total


def expand(text, names, where):
    def one(m):
        name = m.group(1)
        if name in names:
            return names[name]
        fail(f"{where}: unknown name @{name}@")

    return re.sub(r"@(\w+)@", one, text)


def build_facts(pairs):
    facts = {}
    for pair in pairs:
        name, eq, text = pair.partition("=")
        if not eq:
            fail(f"--fact {pair!r}: NAME=TEXT expected")
        facts[name] = text
    return facts


class Source:
    def __init__(self, args):
        self.facts, trees, rows = read_rows(args.rows)
        idl = read_idl(args.idl)
        # A fact may name the type library's entries (@LIBRARY@.@CLASS@).
        self.facts = {n: expand(t, idl, args.rows) for n, t in self.facts.items()}
        self.facts.update(build_facts(args.fact))
        self.names = dict(self.facts)
        self.names.update(idl)
        self.misc_flags = self.facts["miscstatus"].split()
        platform, processor, program_files, win64 = ARCH[args.arch]
        version = args.version.split(".")
        self.names.update(
            {
                "WIN": platform,
                "PROCESSOR": processor,
                "PROGRAMFILES": program_files,
                "WIN64": win64,
                "ARCH": args.arch,
                "UPGRADECODE": self.facts["upgrade_" + args.arch],
                "VERSION": args.version,
                "VERSION4": ".".join((version + ["0"] * 4)[:4]),
                "MISCSTATUS": str(misc_status_value(self.misc_flags, args.oleidl)),
                "MISCSTATUS_KEYWORDS": ",".join(f.lower() for f in self.misc_flags),
            }
        )
        # Runtime names stay as they are; each output fills them its own way.
        keep = dict(self.names, **{n: f"@{n}@" for n in RUNTIME})
        self.trees = [(expand(t, keep, args.rows), shared) for t, shared in trees]
        # A row below a shared tree is written alike by both bitnesses,
        # unless its key names the bitness (@WIN@).
        self.shared = []
        for key, name, data in rows:
            shared = "@WIN@" not in key and any(
                is_shared and (key + "\\").startswith(t + "\\") for t, is_shared in trees
            )
            if shared and data is not None and "@MODULE@" in data:
                fail(f"{args.rows}: {key} is shared but its value differs between the bitnesses")
            self.shared.append(shared)
        self.rows = [
            tuple(None if x is None else expand(x, keep, args.rows) for x in row) for row in rows
        ]


def cpp_string(text):
    return 'L"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def write_cpp(src, out):
    lines = [
        "// registration_rows.h -- generated by registration_gen.py from",
        "// registration.rows and TVKChecksum.idl; do not edit.",
        "#ifndef TVK_COM_REGISTRATION_ROWS_H",
        "#define TVK_COM_REGISTRATION_ROWS_H",
        "",
        "#include <oleidl.h>",
        "",
        "namespace tvkcom {",
        "",
        "// A key below the classes root; name nullptr is the default value, data",
        "// nullptr a key with no value. @MODULE@ is filled in when the rows",
        "// are written.",
        "struct RegistryRow {",
        "    const wchar_t *key;",
        "    const wchar_t *name;",
        "    const wchar_t *data;",
        "};",
        "",
        "constexpr RegistryRow registry_rows[] = {",
    ]
    for key, name, data in src.rows:
        fields = [cpp_string(key)] + [
            "nullptr" if x is None else cpp_string(x) for x in (name, data)
        ]
        lines.append("    {" + ", ".join(fields) + "},")
    lines += ["};", "", "// The keys that unregistration removes with everything below them."]
    lines.append("constexpr const wchar_t *registry_trees[] = {")
    lines += [f"    {cpp_string(t)}," for t, _ in src.trees]
    lines += [
        "};",
        "",
        "// The control's ProgID, and the class name of its windows.",
        "constexpr const wchar_t prog_id[] = " + cpp_string(src.names["progid"]) + ";",
        "constexpr const wchar_t window_class[] = " + cpp_string(src.names["window_class"]) + ";",
        "",
        "// The OLEMISC flags of the control, reported by IOleObject::GetMiscStatus",
        "// and IQuickActivate and registered for the content aspect.",
        "constexpr DWORD control_misc_status = "
        + " | ".join("OLEMISC_" + f for f in src.misc_flags)
        + ";",
        f"static_assert(control_misc_status == {src.names['MISCSTATUS']}u,",
        '              "the registered number is that of the flags");',
        "",
        "} // namespace tvkcom",
        "",
        "#endif",
        "",
    ]
    open(out, "w", encoding="utf-8").write("\n".join(lines))


def msi_value(text):
    """A registry value as MSI formats it: the runtime name becomes the
    installed file's path, and a literal [ or ] is escaped as [\\[] and
    [\\]]."""
    text = text.replace("[", "\x00").replace("]", "\x01")
    text = text.replace("\x00", "[\\[]").replace("\x01", "[\\]]")
    return text.replace("@MODULE@", "[#TVKChecksum.ocx]")


def sql_text(text):
    return "'" + text.replace("'", "''") + "'"


# The package's names: its feature, the component of the control's file and
# the component of the keys that both bitnesses share.
FEATURE = "Control"
OWN_COMPONENT = "TVKChecksum.ocx"
SHARED_COMPONENT = "TVKShared"


def sql_insert(table, values):
    columns = ", ".join(f"`{c}`" for c in values)
    texts = ", ".join(str(v) if isinstance(v, int) else sql_text(v) for v in values.values())
    return f"INSERT INTO `{table}` ({columns}) VALUES ({texts})"


def write_wxs(src, args, out):
    template = open(args.template, encoding="utf-8").read()
    open(out, "w", encoding="utf-8").write(expand(template, src.names, args.template))

    # The registry rows, as msibuild queries: wixl writes values below a
    # fixed root only and drops keys that have no value. Root -1 is
    # HKLM\Software\Classes when the package is installed for the machine and
    # HKCU\Software\Classes when it is installed for one user. The names "*"
    # (create the key, remove it on uninstall) and "-" (remove the tree on
    # uninstall) stand for keys with no value and owned trees. The keys that
    # both bitnesses write alike (ProgID, type library) form a component of
    # their own with the same GUID in both packages: Windows Installer counts
    # the packages that hold it and removes those keys with the last one.
    rows = [(src.shared[i], k, n, d) for i, (k, n, d) in enumerate(src.rows)]
    rows += [(shared, t, "-", None) for t, shared in src.trees]
    queries, numbers, key_path = [], {True: 0, False: 0}, None
    for shared, key, name, data in rows:
        numbers[shared] += 1
        row = {
            "Registry": ("TVKShared" if shared else "TVKReg") + str(numbers[shared]),
            "Root": -1,
            "Key": "Software\\Classes\\" + msi_value(key),
            "Component_": SHARED_COMPONENT if shared else OWN_COMPONENT,
        }
        if data is None:
            row["Name"] = name or "*"
        else:
            if name is not None:
                row["Name"] = name
            row["Value"] = msi_value(data)
            if shared and key_path is None:
                key_path = row["Registry"]
        queries.append(sql_insert("Registry", row))
    if key_path is None:
        fail(f"{args.rows}: no shared value to be the shared component's key path")
    queries.append(
        sql_insert(
            "Component",
            {
                "Component": SHARED_COMPONENT,
                "ComponentId": src.facts["shared_component"],
                "Directory_": "TARGETDIR",
                # Its key path is a registry value; it is of the package's
                # bitness: Windows keeps these keys once for both views, while
                # Wine shares them only when each bitness writes its own view.
                "Attributes": 4 | (256 if src.names["WIN64"] == "yes" else 0),
                "KeyPath": key_path,
            },
        )
    )
    queries.append(
        sql_insert("FeatureComponents", {"Feature_": FEATURE, "Component_": SHARED_COMPONENT})
    )
    # wixl schedules the registry actions only for rows of its own; these are
    # their places in the standard sequence.
    for action, sequence in (("RemoveRegistryValues", 2600), ("WriteRegistryValues", 5000)):
        queries.append(
            sql_insert("InstallExecuteSequence", {"Action": action, "Sequence": sequence})
        )
    # wixl makes every custom action deferred; setting the per-user folder
    # must run at once (type 51: set a property).
    queries.append("UPDATE `CustomAction` SET `Type` = 51 WHERE `Action` = 'PerUserFolder'")
    open(out + ".keys", "w", encoding="utf-8").write("\n".join(queries) + "\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("what", choices=["cpp", "wxs", "fill"])
    parser.add_argument("paths", nargs="+")
    parser.add_argument("--rows", required=True)
    parser.add_argument("--idl", required=True)
    parser.add_argument("--oleidl", required=True)
    parser.add_argument("--arch", choices=sorted(ARCH), required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--fact", action="append", default=[], metavar="NAME=TEXT")
    parser.add_argument("--template")
    args = parser.parse_args()
    src = Source(args)
    if args.what == "cpp":
        write_cpp(src, args.paths[0])
    elif args.what == "wxs":
        if not args.template:
            fail("wxs needs --template")
        write_wxs(src, args, args.paths[0])
    else:
        if len(args.paths) != 2:
            fail("fill needs TEMPLATE OUT")
        template = open(args.paths[0], encoding="utf-8").read()
        open(args.paths[1], "w", encoding="utf-8").write(expand(template, src.names, args.paths[0]))


if __name__ == "__main__":
    main()
