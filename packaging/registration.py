"""The installer packages' registration, as data taken from the library itself.

harvest() runs the Linux build's regsvr against the Linux library over an empty
private registry and reads back what DllRegisterServer (or DllInstall(TRUE,
"user")) writes and which keys the matching unregistration removes. rows()
turns that into the rows of a package's Registry table, the library's path
replaced by the installed file. Both the packaging and its check use them.
"""

import collections
import os
import pathlib
import re
import subprocess
import tempfile
import xml.sax.saxutils

REG_SZ, REG_DWORD = 1, 4
HIVES = {"HKEY_LOCAL_MACHINE": ("HKLM", 2), "HKEY_CURRENT_USER": ("HKCU", 1)}
FILE_KEY = "tovincopyshl.dll"
FILE_REF = f"[#{FILE_KEY}]"
FOLDER_REF = "[INSTALLDIR]"
# The 32-bit DLL an x64 package carries beside the 64-bit one.
FILE32_KEY = "tovincopyshl32.dll"
FILE32_REF = f"[#{FILE32_KEY}]"
FOLDER32_REF = "[INSTALLDIR32]"
# The subkeys of Software\Classes of which 64-bit Windows keeps a copy per
# registry view; every other key of the classes is one copy that 32-bit and
# 64-bit components both see.
REDIRECTED_CLASSES = {"clsid", "directshow", "interface", "media type", "mediafoundation"}
# The registry scripts' keys of a type library's file: TypeLib\{libid}\<version>\<lcid>\win32.
TYPELIB_FILE_KEY = re.compile(r"(\\TypeLib\\\{[0-9A-Fa-f-]+\}\\[^\\]+\\[0-9A-Fa-f]+\\)win32$", re.IGNORECASE)


class RegistrationError(Exception):
    """Registration that cannot be turned into package data; the text says why."""


# A regedit line's meaning: a key created ("key"), a key removed ("delete-key"),
# a value set ("value", with type and data) or a value removed ("delete-value").
Op = collections.namedtuple("Op", "action key name type data")

# One row of a Registry table: Root (1 HKCU, 2 HKLM), Key, Name (None for the
# default value; "-" removes the key with its subkeys on uninstall, "+"
# creates an empty key), Value as stored in the table (None for "-" and "+").
Row = collections.namedtuple("Row", "root key name value")

Registration = collections.namedtuple("Registration", "ops removed")

# The per-user packages' settings: component, its condition and the row
# written. The component is installed only when its property is given; the
# condition holds on removal too, so that an uninstall without the property
# still takes the value away.
SETTINGS = {name: (f'{name.upper()} OR REMOVE~="ALL"', Row(1, "Software\\Tovin Copy", name, f"[{name.upper()}]"))
            for name in ("CopyApp", "CopyBmp")}


def _unquote(text, where):
    """A regedit quoted string at the start of `text`: (content, rest)."""
    if not text.startswith('"'):
        raise RegistrationError(f"{where}: expected a quoted string")
    out, i = [], 1
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            out.append(text[i + 1])
            i += 2
        elif c == '"':
            return "".join(out), text[i + 1:]
        else:
            out.append(c)
            i += 1
    raise RegistrationError(f"{where}: unterminated string")


def parse_regedit(data, origin="regedit file"):
    """The operations of a regedit 5.00 file (UTF-16LE with its mark), in order."""
    if not data.startswith(b"\xff\xfe"):
        raise RegistrationError(f"{origin}: not a UTF-16LE regedit file")
    lines = data[2:].decode("utf-16-le").split("\r\n")
    if lines[0] != "Windows Registry Editor Version 5.00":
        raise RegistrationError(f"{origin}: header {lines[0]!r}")
    ops, key, i = [], None, 1
    while i < len(lines):
        line, number = lines[i], i + 1
        i += 1
        # Hex data goes on over lines that end in a backslash.
        while line.endswith("\\") and i < len(lines) and "=hex" in line:
            line = line[:-1] + lines[i].strip()
            i += 1
        where = f"{origin} line {number}"
        if not line:
            continue
        if line.startswith("[") and line.endswith("]"):
            deleted = line.startswith("[-")
            key = line[2:-1] if deleted else line[1:-1]
            ops.append(Op("delete-key" if deleted else "key", key, None, None, None))
            continue
        if key is None:
            raise RegistrationError(f"{where}: a value before any key")
        if line.startswith("@="):
            name, rest = None, line[2:]
        else:
            name, rest = _unquote(line, where)
            if not rest.startswith("="):
                raise RegistrationError(f"{where}: expected '=' after the value name")
            rest = rest[1:]
        if rest == "-":
            ops.append(Op("delete-value", key, name, None, None))
        elif rest.startswith('"'):
            value, tail = _unquote(rest, where)
            if tail:
                raise RegistrationError(f"{where}: text after the string")
            ops.append(Op("value", key, name, REG_SZ, value))
        elif re.fullmatch(r"dword:[0-9a-f]{8}", rest):
            ops.append(Op("value", key, name, REG_DWORD, int(rest[6:], 16)))
        elif m := re.fullmatch(r"hex(?:\(([0-9a-f]+)\))?:([0-9a-f,]*)", rest):
            data_ = bytes(int(b, 16) for b in m.group(2).split(",") if b)
            ops.append(Op("value", key, name, int(m.group(1) or "3", 16), data_))
        else:
            raise RegistrationError(f"{where}: unreadable value {rest!r}")
    return ops


def _clean_env():
    """The environment without the registry and locale settings of the host
    programs, so the harvest reads only the private registry given."""
    return {k: v for k, v in os.environ.items() if not k.startswith("TOVIN_")}


def harvest(regsvr, library, per_user):
    """What the library's registration writes over an empty registry and which
    keys its unregistration removes again: Registration(ops, removed keys)."""
    switches = ["/n", "/i:user"] if per_user else []
    with tempfile.TemporaryDirectory(prefix="tovincopyshl-harvest-") as tmp:
        tmp = pathlib.Path(tmp)
        register, unregister, state = tmp / "register.reg", tmp / "unregister.reg", tmp / "state.db"

        def run(*args):
            result = subprocess.run([str(regsvr), "/s", *args, str(pathlib.Path(library).resolve())],
                                    env=_clean_env(),
                                    capture_output=True, text=True)
            if result.returncode:
                raise RegistrationError(f"regsvr {' '.join(args)} failed ({result.returncode}): "
                                        f"{result.stderr.strip()}")

        run("--registry", str(tmp / "empty.db"), f"/export:{register}", *switches)
        run("--registry", str(state), *switches)
        run("--registry", str(state), f"/export:{unregister}", "/u", *switches)
        ops = parse_regedit(register.read_bytes(), "registration")
        undo = parse_regedit(unregister.read_bytes(), "unregistration")
    for op in ops:
        if op.action not in ("key", "value"):
            raise RegistrationError(f"registration over an empty registry removes {op.key} {op.name or ''}")
    removed = []
    for op in undo:
        if op.action != "delete-key":
            raise RegistrationError(f"unregistration does more than remove keys: {op}")
        removed.append(op.key)
    return Registration(ops, removed)


def _split(path):
    hive, _, key = path.partition("\\")
    if hive not in HIVES or not key:
        raise RegistrationError(f"key {path} lies outside HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER")
    return HIVES[hive][1], key


def _formatted(text):
    """Literal text in a Registry table's formatted column: brackets escaped."""
    return re.sub(r"[\[\]]", lambda m: f"[\\{m.group(0)}]", text)


def rows(registration, library, platform, file_ref=FILE_REF, folder_ref=FOLDER_REF):
    """The Registry table rows of the DLL for `platform` ("x86" or "x64"):
    every value the registration writes, the library's path as the installed
    file `file_ref` and its folder as the install folder `folder_ref`;
    type-library file keys under win64 for x64; an empty key created where the
    registration creates one without values or subkeys; and a removing row for
    each key the unregistration removes."""
    library = pathlib.Path(library).resolve()
    library, folder = str(library), str(library.parent)
    keys = [op.key for op in registration.ops if op.action == "key"]
    valued = {op.key for op in registration.ops if op.action == "value"}

    def key_of(path):
        root, key = _split(path)
        if platform == "x64":
            key = TYPELIB_FILE_KEY.sub(r"\1win64", key)
        return root, key

    out = []
    for op in registration.ops:
        if op.action == "key":
            if op.key not in valued and not any(k.startswith(op.key + "\\") for k in keys):
                out.append(Row(*key_of(op.key), "+", None))
            continue
        root, key = key_of(op.key)
        if op.name in ("+", "-", "*"):
            raise RegistrationError(f"{op.key}: value name {op.name!r} reads as a key operation in a package")
        if op.type == REG_DWORD:
            out.append(Row(root, key, op.name, f"#{op.data}"))
            continue
        if op.type != REG_SZ:
            raise RegistrationError(f"{op.key} {op.name or '@'}: type {op.type} is not carried by the packages")
        if op.data == library:
            value = file_ref
        elif op.data == folder:
            value = folder_ref
        elif folder in op.data:
            raise RegistrationError(f"{op.key} {op.name or '@'}: the build folder inside {op.data!r}")
        else:
            value = _formatted(op.data)
            # A leading '#' marks a number in the table; '##' is the literal.
            if value.startswith("#"):
                value = "#" + value
        out.append(Row(root, key, op.name, value))
    for path in registration.removed:
        if path not in keys:
            raise RegistrationError(f"unregistration removes {path}, which registration did not create")
        out.append(Row(*key_of(path), "-", None))
    return out


def redirected(row):
    """Whether a 32-bit component on 64-bit Windows writes `row` into a copy of
    its own (the 32-bit registry view) rather than the key 64-bit code sees."""
    parts = row.key.lower().split("\\")
    if parts[0] != "software":
        return False
    if len(parts) > 1 and parts[1] == "classes":
        return len(parts) > 2 and parts[2] in REDIRECTED_CLASSES
    return row.root == HIVES["HKEY_LOCAL_MACHINE"][1]


def components(registration, library, platform):
    """The Registry rows of each component of the package for `platform`:
    "Server" (the package's own DLL and its class), "Shared" (the keys both
    registry views share, written once) and, for x64, "Server32" (the 32-bit
    DLL's class in the 32-bit view). The x64 package's rows are the merge of
    the rows of both architectures, checked against each."""
    native = rows(registration, library, platform)
    out = {"Server": [r for r in native if redirected(r)], "Shared": [r for r in native if not redirected(r)]}
    if platform != "x64":
        return out
    wow = rows(registration, library, "x86", FILE32_REF, FOLDER32_REF)
    out["Server32"] = [r for r in wow if redirected(r)]
    shared = {(r.root, r.key, r.name): r for r in out["Shared"]}
    for row in wow:
        if redirected(row):
            continue
        same = shared.get((row.root, row.key, row.name))
        if same is None:
            out["Shared"].append(row)
            shared[(row.root, row.key, row.name)] = row
        elif same.value != row.value and (same.value, row.value) != (FOLDER_REF, FOLDER32_REF):
            raise RegistrationError(f"{row.key} {row.name or '@'}: the architectures share the key "
                                    f"but write {same.value!r} and {row.value!r}")
    for arch, table, server in (("x64", native, "Server"), ("x86", wow, "Server32")):
        merged = set(out[server]) | {r._replace(value=FOLDER32_REF) if r.value == FOLDER_REF else r
                                    for r in out["Shared"]} | set(out["Shared"])
        lost = [r for r in table if r not in merged]
        if lost:
            raise RegistrationError(f"the merged rows lack the {arch} rows {lost}")
    return out


def wix_include(table, key_path):
    """A WiX include of `table`'s rows as RegistryValue elements; the row
    `key_path` (or None) becomes the component's key path."""
    lines = ['<?xml version="1.0" encoding="utf-8"?>', "<!-- Generated by scripts/package. -->", "<Include>"]
    roots = {number: name for name, number in HIVES.values()}
    for row in table:
        for text in (row.key, row.name or "", row.value or ""):
            if "$(" in text:
                raise RegistrationError(f"{row.key}: '$(' would be read as a preprocessor variable")
        attrs = {"Root": roots[row.root], "Key": row.key}
        if row.name is not None:
            attrs["Name"] = row.name
        if row.value is None:
            attrs.update(Type="string", Value="")
        elif row.value.startswith("##"):
            attrs.update(Type="string", Value=row.value[1:])  # wixl doubles a leading '#'
        elif row.value.startswith("#"):
            attrs.update(Type="integer", Value=row.value[1:])
        else:
            attrs.update(Type="string", Value=row.value)
        if row == key_path:
            attrs["KeyPath"] = "yes"
        text = " ".join(f"{k}={xml.sax.saxutils.quoteattr(v)}" for k, v in attrs.items())
        lines.append(f"  <RegistryValue {text}/>")
    lines.append("</Include>")
    return "\n".join(lines) + "\n"


def key_path_row(table):
    """The row a component without a file keeps as its key path: the class's
    server where the component writes it, else its first value."""
    values = [r for r in table if r.name not in ("-", "+")]
    server = [r for r in values if r.key.endswith("\\InprocServer32") and r.name is None]
    if not (server or values):
        raise RegistrationError("a component without a value to keep as its key path")
    return (server or values)[0]
