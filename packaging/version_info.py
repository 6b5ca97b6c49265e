"""Product name, manufacturer and version of the packages, read from the
DLL's own version block, so the resource script is their only source."""

import pefile


class VersionError(Exception):
    """A version block the packages cannot take their product data from."""


def product_info(dll):
    """(product name, manufacturer, version "a.b.c.d") of `dll`."""
    try:
        pe = pefile.PE(str(dll), fast_load=True)
        pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    except (OSError, pefile.PEFormatError) as e:
        raise VersionError(f"{dll}: {e}") from e
    if not getattr(pe, "VS_FIXEDFILEINFO", None):
        raise VersionError(f"{dll}: no version block")
    fixed = pe.VS_FIXEDFILEINFO[0]
    version = (f"{fixed.ProductVersionMS >> 16}.{fixed.ProductVersionMS & 0xFFFF}."
               f"{fixed.ProductVersionLS >> 16}.{fixed.ProductVersionLS & 0xFFFF}")
    strings = {k.decode(): v.decode() for info in getattr(pe, "FileInfo", []) for e in info
               for t in getattr(e, "StringTable", []) for k, v in t.entries.items()}
    if not strings.get("ProductName") or not strings.get("CompanyName"):
        raise VersionError(f"{dll}: version block lacks ProductName or CompanyName")
    if strings.get("ProductVersion") != version:
        raise VersionError(f"{dll}: ProductVersion {strings.get('ProductVersion')!r} "
                           f"differs from the fixed version {version}")
    return strings["ProductName"], strings["CompanyName"], version


def upgrade_below(version):
    """The first version above every one that shares `version`'s first three
    fields, which are all Windows Installer compares."""
    major, minor, build, _ = (int(f) for f in version.split("."))
    if build >= 0xFFFF:
        raise VersionError(f"version {version}: no version above {major}.{minor}.{build} to replace it up to")
    return f"{major}.{minor}.{build + 1}"
