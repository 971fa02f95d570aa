#!/usr/bin/env python3
"""Writes a synthetic registry export of a well-used Windows 98 machine, in the
form Windows 98's regedit writes it (REGEDIT4, ANSI code page, CRLF, long
hex values continued over lines), for timing tools/preview.sh on a big
registry.

    tools/make-preview-export.py [--keys N] [--chinese] OUT.reg

At least N keys (default 20000) under HKEY_LOCAL_MACHINE, plus a few hundred
under HKEY_USERS as a whole-registry export has them. The machine has one
ORVA Varnel Q5 (PCI device 10DE:0100) on the standard VGA driver, a 440BX
chipset, other PCI cards, display class keys of other drivers, and many
Software\\Classes keys. --chinese: a Traditional Chinese machine (code page
950, Big5 names). The same arguments always give the same file.
"""
import argparse
import random

rng = random.Random(98)


def hexdump(data, name_length):
    """hex:… the way regedit wraps it: lines of at most 80 characters."""
    parts = ["%02x" % b for b in data]
    lines, line = [], ""
    width = 80 - name_length - len("=hex:")
    for i, part in enumerate(parts):
        piece = part + ("," if i < len(parts) - 1 else "")
        if len(line) + len(piece) > width - 1:
            lines.append(line + "\\")
            line, width = "  ", 80
        line += piece
    lines.append(line)
    return "\r\n".join(lines)


def quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


class Export:
    def __init__(self):
        self.keys = []  # (path, [(name, data text)])

    def key(self, path, *values):
        self.keys.append((path, list(values)))

    def count(self, root="HKEY_LOCAL_MACHINE"):
        return sum(1 for path, _ in self.keys if path.split("\\")[0] == root)

    def text(self):
        out = ["REGEDIT4", ""]
        for path, values in self.keys:
            out.append("[%s]" % path)
            for name, data in values:
                left = "@" if name is None else quote(name)
                if isinstance(data, bytes):
                    out.append(left + "=hex:" + hexdump(data, len(left)))
                elif isinstance(data, int):
                    out.append(left + "=dword:%08x" % data)
                else:
                    out.append(left + "=" + quote(data))
            out.append("")
        return "\r\n".join(out) + "\r\n"


def guid():
    return "{%08X-%04X-%04X-%04X-%012X}" % (rng.getrandbits(32), rng.getrandbits(16), rng.getrandbits(16),
                                           rng.getrandbits(16), rng.getrandbits(48))


def log_config():
    return bytes(rng.getrandbits(8) if i % 7 else 0 for i in range(rng.choice([48, 72, 104])))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--keys", type=int, default=20000)
    parser.add_argument("--chinese", action="store_true")
    parser.add_argument("out")
    args = parser.parse_args()
    chinese = args.chinese
    words = (["顯示", "音效", "網路", "許功", "公用程式", "遊戲", "文書", "繪圖", "字型", "輸入法"] if chinese else
             ["Café", "Résumé", "Naïve", "Straße", "Crème", "Zoë", "Señor", "Ångström", "Déjà", "Façade"])
    ex = Export()
    hklm = "HKEY_LOCAL_MACHINE\\"

    ex.key(hklm + "Config\\0001\\Display\\Settings", ("BitsPerPixel", "16"), ("Resolution", "1024,768"),
           ("DPILogicalX", "96"), ("DPILogicalY", "96"))
    ex.key(hklm + "Config\\0001\\Display\\Fonts", ("fixedfon.fon", "vgafix.fon"), ("oemfonts.fon", "vgaoem.fon"))

    # PCI: the board, its chipset and other cards, each with instances and resources.
    pci = [
        ("VEN_8086&DEV_7190&SUBSYS_00000000&REV_03", "BUS_00&DEV_00&FUNC_00", "System",
         "Intel 82443BX Pentium(r) II Processor to PCI bridge"),
        ("VEN_8086&DEV_7191&SUBSYS_00000000&REV_03", "BUS_00&DEV_01&FUNC_00", "System",
         "Intel 82443BX Pentium(r) II Processor to AGP controller"),
        ("VEN_8086&DEV_7110&SUBSYS_00000000&REV_02", "BUS_00&DEV_07&FUNC_00", "System",
         "Intel 82371AB/EB PCI to ISA bridge (ISA mode)"),
        ("VEN_8086&DEV_7111&SUBSYS_00000000&REV_01", "BUS_00&DEV_07&FUNC_01", "hdc",
         "Intel 82371AB/EB PCI Bus Master IDE Controller"),
        ("VEN_8086&DEV_7112&SUBSYS_00000000&REV_01", "BUS_00&DEV_07&FUNC_02", "USB",
         "Intel 82371AB/EB PCI to USB Universal Host Controller"),
        ("VEN_8086&DEV_7113&SUBSYS_00000000&REV_02", "BUS_00&DEV_07&FUNC_03", "System",
         "Intel 82371AB/EB Power Management Controller"),
        ("VEN_1274&DEV_1371&SUBSYS_13711274&REV_06", "BUS_00&DEV_0B&FUNC_00", "MEDIA", "Creative AudioPCI"),
        ("VEN_10EC&DEV_8139&SUBSYS_813910EC&REV_10", "BUS_00&DEV_0D&FUNC_00", "Net",
         "Realtek RTL8139(A) PCI Fast Ethernet Adapter"),
        ("VEN_9004&DEV_7178&SUBSYS_78619004&REV_03", "BUS_00&DEV_0F&FUNC_00", "SCSIAdapter",
         "Adaptec AHA-2940/AHA-2940W PCI SCSI Controller"),
        ("VEN_121A&DEV_0002&SUBSYS_0002121A&REV_02", "BUS_00&DEV_09&FUNC_00", "MEDIA", "3dfx Voodoo2 3D Accelerator"),
    ]
    for i, (hwid, instance, cls, desc) in enumerate(pci):
        base = hklm + "Enum\\PCI\\" + hwid + "\\" + instance
        ex.key(base, ("Class", cls), ("HardwareID", "PCI\\" + hwid + ",PCI\\" + hwid.rsplit("&", 2)[0]),
               ("DeviceDesc", desc), ("Driver", "%s\\%04d" % (cls, i)), ("Mfg", desc.split()[0]),
               ("ConfigFlags", b"\0\0\0\0"), ("Capabilities", bytes([0x14, 0, 0, 0])))
        ex.key(base + "\\LogConfig", ("0000", log_config()))
    board = "VEN_10DE&DEV_0100&SUBSYS_%08X&REV_10" % 0x00401048
    ex.key(hklm + "Enum\\PCI\\" + board + "\\000800", ("Class", "DISPLAY"),
           ("HardwareID", "PCI\\" + board + ",PCI\\VEN_10DE&DEV_0100&REV_10,PCI\\VEN_10DE&DEV_0100"),
           ("DeviceDesc", "Standard PCI Graphics Adapter (VGA)"), ("Driver", "DISPLAY\\0000"),
           ("Mfg", "(Standard display types)"), ("ConfigFlags", b"\0\0\0\0"))
    ex.key(hklm + "Enum\\PCI\\" + board + "\\000800\\LogConfig", ("0000", log_config()))
    for bus in ("BIOS", "Root", "ISAPNP", "MONITOR", "SCSI", "ESDI", "FLOP", "HTREE\\RESERVED", "Network\\MSTCP"):
        for n in range(25):
            ex.key(hklm + "Enum\\%s\\*PNP%04X\\%04d" % (bus, 0x0C00 + n, n), ("Class", "System"),
                   ("DeviceDesc", "System device %d" % n), ("Driver", "System\\%04d" % (n + 20)),
                   ("ConfigFlags", b"\0\0\0\0"))

    # Display class keys of earlier drivers, each with a mode table; the
    # board's standard VGA driver is 0000.
    klass = hklm + "System\\CurrentControlSet\\Services\\Class\\"
    ex.key(klass + "Display", (None, "Display adapters"), ("Installer", "SetupX.Dll, Display_ClassInstaller"))
    display = [("Standard PCI Graphics Adapter (VGA)", "VGA", "vga.drv"),
               ("3dfx Voodoo Banshee", "BANSHEE", "3dfxvs.drv"),
               ("S3 Inc. Trio64V2/DX PCI", "S3T64V2", "s3v.drv"),
               ("ATI Rage 128 GL PCI", "R128", "atir3.drv"),
               ("Matrox Millennium G200 AGP", "G200", "mgag200.drv")]
    for index, (desc, section, drv) in enumerate(display):
        key = klass + "Display\\%04d" % index
        ex.key(key, ("DriverDesc", desc), ("InfSection", section), ("DevLoader", "*vdd"),
               ("ProviderName", desc.split()[0]), ("Ver", "4.0"))
        ex.key(key + "\\DEFAULT", ("drv", drv), ("vdd", "*vdd"), ("Mode", "8,640,480"), ("RefreshRate", "0"))
        for bpp in (4, 8, 16, 24, 32):
            ex.key(key + "\\MODES\\%d" % bpp)
            for res in ("640,480", "800,600", "1024,768", "1152,864", "1280,1024", "1600,1200"):
                ex.key(key + "\\MODES\\%d\\%s" % (bpp, res), (None, "60,72,75,85"))
    ex.key(klass + "Monitor\\0000", ("DriverDesc", "Plug and Play Monitor"), ("InfSection", "VESA_DDC"))
    for cls in ("System", "hdc", "USB", "MEDIA", "Net", "NetClient", "NetTrans", "SCSIAdapter", "Ports",
                "Keyboard", "Mouse", "fdc", "DiskDrive", "CDROM", "Modem", "Printer"):
        for n in range(40):
            ex.key(klass + "%s\\%04d" % (cls, n), ("DriverDesc", "%s driver %d" % (cls, n)),
                   ("InfSection", "%s_%d" % (cls.upper(), n)), ("DevLoader", "*configmg"),
                   ("DriverDate", " 5-11-1998"))
    for vxd in ("VCOMM", "VDD", "VFAT", "VCACHE", "VNETBIOS", "MSTCP", "NWLINK", "VREDIR", "IFSMGR", "IOS"):
        ex.key(hklm + "System\\CurrentControlSet\\Services\\VxD\\" + vxd, ("StaticVxD", vxd.lower() + ".vxd"),
               ("Start", b"\0"))
    ex.key(hklm + "System\\CurrentControlSet\\control\\Nls\\Codepage",
           ("ACP", "950" if chinese else "1252"), ("OEMCP", "950" if chinese else "437"),
           ("1252", "c_1252.nls"), ("437", "c_437.nls"), ("950", "c_950.nls"))
    ex.key(hklm + "System\\CurrentControlSet\\control\\Nls\\Locale", (None, "00000404" if chinese else "00000409"))
    ex.key(hklm + "System\\CurrentControlSet\\control\\ComputerName\\ComputerName", ("ComputerName", "PC98"))
    ex.key(hklm + "System\\CurrentControlSet\\control\\SessionManager\\KnownDLLs",
           *[(n, n + ".DLL") for n in ("KERNEL32", "USER32", "GDI32", "ADVAPI32", "COMDLG32", "SHELL32")])

    current = hklm + "Software\\Microsoft\\Windows\\CurrentVersion"
    ex.key(current, ("SystemRoot", "C:\\WINDOWS"), ("ProgramFilesDir", "C:\\Program Files"),
           ("DevicePath", "C:\\WINDOWS\\INF"), ("OtherDevicePath", "C:\\WINDOWS\\INF\\OTHER"),
           ("Version", "Windows 98"), ("VersionNumber", "4.10.2222"), ("RegisteredOwner", words[0] + " " + words[3]),
           ("FirstInstallDateTime", bytes([0xA1, 0x3C, 0x7A, 0x26])))
    ex.key(current + "\\Run", ("ScanRegistry", "C:\\WINDOWS\\scanregw.exe /autorun"), ("SystemTray", "SysTray.Exe"),
           ("TaskMonitor", "C:\\WINDOWS\\taskmon.exe"), ("LoadPowerProfile", "Rundll32.exe powrprof.dll,LoadCurrentPwrScheme"))
    ex.key(current + "\\RunServices", ("SchedulingAgent", "mstask.exe"))
    ex.key(current + "\\RunOnce", ("Welcome", "C:\\WINDOWS\\WELCOME.EXE"))
    ex.key(current + "\\Fonts", ("Arial (TrueType)", "ARIAL.TTF"), ("MS Sans Serif 8,10,12,14,18,24", "SSERIFE.FON"),
           ("Courier New (TrueType)", "COUR.TTF"), ("Tahoma (TrueType)", "TAHOMA.TTF"))
    ex.key(current + "\\Setup\\SetupX\\INF\\OEM Name", ("C:\\WINDOWS\\INF\\OTHER\\Realtek.INF", "Realtek.INF"))
    ex.key(current + "\\SharedDLLs", *[("C:\\WINDOWS\\SYSTEM\\LIB%03d.DLL" % n, rng.randint(1, 9)) for n in range(300)])
    for n in range(400):
        name = "%s %s %d" % (words[n % len(words)], words[(n * 7) % len(words)], n)
        ex.key(current + "\\Uninstall\\" + name, ("DisplayName", name),
               ("UninstallString", "C:\\PROGRA~1\\APP%03d\\UNWISE.EXE C:\\PROGRA~1\\APP%03d\\INSTALL.LOG" % (n, n)))
        ex.key(current + "\\App Paths\\APP%03d.EXE" % n, (None, "C:\\PROGRA~1\\APP%03d\\APP%03d.EXE" % (n, n)),
               ("Path", "C:\\PROGRA~1\\APP%03d" % n))

    # Software\Classes fills the rest: extensions, their file types with
    # verbs and icons, and COM classes.
    classes = hklm + "Software\\Classes\\"
    n = 0
    while ex.count() < args.keys:
        word = words[n % len(words)]
        ext = ".%s%d" % ("x" if n % 2 else "d", n)
        progid = "%s.Document.%d" % (word, n)
        ex.key(classes + ext, (None, progid), ("Content Type", "application/x-%d" % n))
        ex.key(classes + progid, (None, "%s Document %d" % (word, n)), ("EditFlags", bytes([0, 0, 1, 0])))
        ex.key(classes + progid + "\\DefaultIcon", (None, "C:\\PROGRA~1\\APP%03d\\APP.EXE,%d" % (n % 400, n % 5)))
        ex.key(classes + progid + "\\shell\\open\\command", (None, "C:\\PROGRA~1\\APP%03d\\APP.EXE \"%%1\"" % (n % 400)))
        clsid = guid()
        ex.key(classes + progid + "\\CLSID", (None, clsid))
        ex.key(classes + "CLSID\\" + clsid, (None, "%s Object %d" % (word, n)),
               ("AppID", clsid), ("Flags", bytes(rng.getrandbits(8) for _ in range(40))))
        ex.key(classes + "CLSID\\" + clsid + "\\InProcServer32",
               (None, "C:\\WINDOWS\\SYSTEM\\OBJ%05d.DLL" % n), ("ThreadingModel", "Apartment"))
        n += 1

    users = "HKEY_USERS\\.DEFAULT\\"
    for n in range(300):
        ex.key(users + "Software\\App%03d\\Settings" % n, ("Window", bytes(range(16))), ("Last", words[n % len(words)]))
    ex.key(users + "Control Panel\\Desktop", ("Wallpaper", "(None)"), ("ScreenSaveActive", "1"))

    with open(args.out, "wb") as out:
        out.write(ex.text().encode("cp950" if chinese else "cp1252"))
    print("%s: %d keys under HKEY_LOCAL_MACHINE, %d under HKEY_USERS" %
          (args.out, ex.count(), ex.count("HKEY_USERS")))


if __name__ == "__main__":
    main()
