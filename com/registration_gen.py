#!/usr/bin/env python3
"""registration_gen.py -- makes the control's registration artefacts from one
source, registration.rows, and the type library's names and GUIDs in
TVKChecksum.idl:

  registration_gen.py cpp OUT        the table DllRegisterServer writes
  registration_gen.py wxs OUT        an installer package source for wixl,
                                     plus OUT.keys: the registry rows, the
                                     components of the shared keys, the
                                     searches and custom actions that pick
                                     the context, as msibuild queries
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
    entries, interfaces, dispinterfaces = {}, {}, {}
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
        elif kind == "dispinterface":
            dispinterfaces[name] = entries[kind][1]
    for kind in ("library", "interface", "dispinterface", "coclass"):
        if kind not in entries:
            fail(f"{path}: no {kind} with a uuid")
    # The class's default interface, the earlier one it derives from and the
    # first of all (on IDispatch), which hosts built against the earlier
    # versions still ask for.
    default = re.search(r"\[default\]\s*interface\s+(\w+)", text)
    if not default or default.group(1) not in interfaces:
        fail(f"{path}: the coclass names no default interface of the library")
    name = default.group(1)
    base = interfaces[name][1]
    if base not in interfaces:
        fail(f"{path}: {name} derives from no interface of the library")
    first = base
    while interfaces[first][1] in interfaces:
        first = interfaces[first][1]
    # The default event interface, and the first one, which sinks built
    # against the first version connect to.
    source = re.search(r"\[default,\s*source\]\s*dispinterface\s+(\w+)", text)
    if not source or source.group(1) not in dispinterfaces:
        fail(f"{path}: the coclass names no default source of the library")
    first_events = next(iter(dispinterfaces))
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
        "IID": interfaces[name][0],
        "DIID": dispinterfaces[source.group(1)],
        "CLASS": entries["coclass"][0],
        "INTERFACE": name,
        "BASE_IID": interfaces[base][0],
        "BASE_INTERFACE": base,
        "FIRST_IID": interfaces[first][0],
        "FIRST_INTERFACE": first,
        "EVENTS": source.group(1),
        "FIRST_DIID": dispinterfaces[first_events],
        "FIRST_EVENTS": first_events,
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
        # unless its key names the bitness (@WIN@); its place is that tree,
        # None for a row of the bitness's own.
        self.places = []
        for key, name, data in rows:
            place = None
            if "@WIN@" not in key:
                for (tree, is_shared), (expanded, _) in zip(trees, self.trees):
                    if is_shared and (key + "\\").startswith(tree + "\\"):
                        place = expanded
            if place is not None and data is not None and "@MODULE@" in data:
                fail(f"{args.rows}: {key} is shared but its value differs between the bitnesses")
            self.places.append(place)
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


# The package's names: its feature and the component of the control's file,
# which holds the keys of this bitness too.
FEATURE = "Control"
OWN_COMPONENT = "TVKChecksum.ocx"
# Set where a key directly below the classes root (the ProgID) that a 32-bit
# component of the x64 package writes is not the one 64-bit programs read.
# Windows 7 and later keep one such key for both views. Wine's msi writes it
# from the 64-bit msiexec below HKLM\Software\Wow6432Node\Classes, which
# only 32-bit programs read; Wine is known by its HID bus driver's key, which
# every Wine prefix has.
PER_VIEW = "TVKCLASSESPERVIEW"
PER_VIEW_PROBE = ("System\\CurrentControlSet\\Services\\winebus", "ImagePath")


def shared_components(x64):
    """The components of the shared keys: (name, GUID fact, 64-bit, condition,
    whether it holds the keys directly below the classes root). The keys
    below a key of the root (the type library) and those directly below it
    (the ProgID) are two 32-bit components, the same in both packages, which
    Windows Installer keeps until the last package holding them goes. Where
    the 64-bit package's 32-bit component does not write the key that 64-bit
    programs read, a 64-bit component of its own writes it as well."""
    components = [
        ("TVKShared", "shared_component_32", False, None, False),
        ("TVKRoot", "root_component_32", False, None, True),
    ]
    if x64:
        components.append(("TVKRoot64", "root_component_64", True, PER_VIEW, True))
    return components


def context_queries(src, x64):
    """The searches and property settings (custom action type 51) that pick
    the package's context and folder, in both sequences before costing.
    A per-user install goes to a folder of the user's profile. Its removal
    or repair, known by the user's registration of the control in that
    folder, runs for the user (ALLUSERS empty) and there, whatever ALLUSERS
    the command line or the package's default asks for: Windows Installer
    takes the context of an installed product from its registration, but an
    installer that chose it from ALLUSERS would otherwise look for the files
    and keys of the machine."""
    view = 16 if x64 else 0  # msidbLocatorType64bit
    module_key = next(key for key, _, data in src.rows if data == "@MODULE@")
    searches = [("TVKUSERMODULE", 1, "Software\\Classes\\" + msi_value(module_key), None)]
    if x64:
        searches.append((PER_VIEW, 2) + PER_VIEW_PROBE)
    queries = []
    for prop, root, key, name in searches:
        row = {"Signature_": prop, "Root": root, "Key": key, "Type": 2 | view}  # raw value
        if name:
            row["Name"] = name
        queries.append(sql_insert("RegLocator", row))
        queries.append(sql_insert("AppSearch", {"Property": prop, "Signature_": prop}))
    user_dir = f"[LocalAppDataFolder]Programs\\{src.names['folder']} ({src.names['ARCH']})\\"
    actions = [
        # AppSearch, then: the per-user folder; the user's context for an
        # installed per-user product ("{}" formats to nothing, which unsets
        # ALLUSERS); the per-user folder as the install folder where the
        # context is the user's (Windows Installer 5 resets ALLUSERS 2 to
        # empty for MSIINSTALLPERUSER=1 itself).
        ("AppSearch", None, None, None, 50),
        ("TVKUserFolder", "TVKUSERDIR", user_dir, None, 51),
        ("TVKUserContext", "ALLUSERS", "{}", "Installed AND TVKUSERMODULE ~<< TVKUSERDIR", 52),
        ("TVKPerUserFolder", "INSTALLDIR", "[TVKUSERDIR]",
         "(ALLUSERS=2 AND MSIINSTALLPERUSER=1) OR NOT ALLUSERS", 53),
    ]
    for action, prop, value, condition, sequence in actions:
        if prop:
            row = {"Action": action, "Type": 51, "Source": prop, "Target": value}
            queries.append(sql_insert("CustomAction", row))
        for table in ("InstallExecuteSequence", "InstallUISequence"):
            row = {"Action": action, "Sequence": sequence}
            if condition:
                row["Condition"] = condition
            queries.append(sql_insert(table, row))
    return queries


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
    # uninstall) stand for keys with no value and owned trees.
    x64 = src.names["WIN64"] == "yes"
    components = shared_components(x64)
    rows = [(src.places[i], k, n, d) for i, (k, n, d) in enumerate(src.rows)]
    rows += [(t if shared else None, t, "-", None) for t, shared in src.trees]
    queries, numbers, key_paths = [], {}, {}
    for place, key, name, data in rows:
        if place is None:
            owners = [OWN_COMPONENT]
        else:
            at_root = "\\" not in place
            owners = [c[0] for c in components if c[4] == at_root]
        for component in owners:
            prefix = "TVKReg" if component == OWN_COMPONENT else component
            numbers[prefix] = numbers.get(prefix, 0) + 1
            row = {
                "Registry": prefix + str(numbers[prefix]),
                "Root": -1,
                "Key": "Software\\Classes\\" + msi_value(key),
                "Component_": component,
            }
            if data is None:
                row["Name"] = name or "*"
            else:
                if name is not None:
                    row["Name"] = name
                row["Value"] = msi_value(data)
                key_paths.setdefault(component, row["Registry"])
            queries.append(sql_insert("Registry", row))
    for component, guid, is64, condition, _ in components:
        if component not in key_paths:
            fail(f"{args.rows}: no value to be the key path of {component}")
        row = {
            "Component": component,
            "ComponentId": src.facts[guid],
            "Directory_": "TARGETDIR",
            # Its key path is a registry value (4), of the 64-bit view (256).
            "Attributes": 4 | (256 if is64 else 0),
            "KeyPath": key_paths[component],
        }
        if condition:
            row["Condition"] = condition
        queries.append(sql_insert("Component", row))
        row = {"Feature_": FEATURE, "Component_": component}
        queries.append(sql_insert("FeatureComponents", row))
    queries += context_queries(src, x64)
    # wixl schedules the registry actions only for rows of its own; these are
    # their places in the standard sequence.
    for action, sequence in (("RemoveRegistryValues", 2600), ("WriteRegistryValues", 5000)):
        queries.append(
            sql_insert("InstallExecuteSequence", {"Action": action, "Sequence": sequence})
        )
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
