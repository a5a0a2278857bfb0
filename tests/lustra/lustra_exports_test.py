#!/usr/bin/env python3
"""Checks libLustra.so: it needs only Qt and the C and C++ runtimes (and the sanitizers' when
built with them), exports the names the program calls, and nothing of its own outside LUSTRA."""
import re
import subprocess
import sys

ALLOWED_NEEDED = re.compile(
    r"^(libQt6(Widgets|Gui|Core)\.so\.6|libstdc\+\+\.so\.6|libm\.so\.6|libgcc_s\.so\.1|"
    r"libc\.so\.6|ld-linux-x86-64\.so\.2|libasan\.so\.\d+|libubsan\.so\.\d+)$")
# Linker and sanitizer boilerplate among the strong definitions.
BOILERPLATE = re.compile(r"^(__bss_start|_edata|_end|_init|_fini|__odr_asan\..*)$")
REQUIRED = [
    "LUSTRA::CImageMgr::m_pInstance",
    "LUSTRA::CImageMgr::GetInstance()",
    "LUSTRA::CImageMgr::AddImageInfo(int, LUSTRA::ST_IMG_INFO*)",
    "LUSTRA::CImageMgr::GetImgByItemID(int)",
    "LUSTRA::CImageMgr::AddBitmap(char const*)",
    "LUSTRA::CImageMgr::GetBitmapByPath(char const*)",
    "LUSTRA::LoadBmpFromFile(char const*)",
    "LUSTRA::LoadImageFromRes(unsigned int, char const*, char const*)",
    "LUSTRA::InitImageInfo(QImage*)",
    "LUSTRA::InitImageInfoFromFile(char const*)",
    "LUSTRA::DrawImage(QPainter*, LUSTRA::ST_IMG_INFO*, QRect)",
    "LUSTRA::DrawImage(QPainter*, LUSTRA::ST_IMG_INFO*, QRect, LUSTRA::DISPLAY_METHOD)",
    "LUSTRA::DrawImage(QPainter*, QImage*, QRect, LUSTRA::DISPLAY_METHOD)",
    "LUSTRA::MallocString(char const*)",
    "LUSTRA::MallocString(char const*, char*&)",
    "LUSTRA::FreeString(char*&)",
    "LUSTRA::CListBoxExt::AddItem(LUSTRA::ST_LISTBOX_ITEM&, char const*)",
    "LUSTRA::CListBoxExt::SetItemVisable(LUSTRA::ST_LISTBOX_ITEM*)",
    "LUSTRA::CListBoxExt::DeleteItemByItemID(long)",
    "LUSTRA::CListBoxExt::GetIndexByItemID(long)",
    "LUSTRA::CListBoxExt::ExpandItem(int)",
    "LUSTRA::CListBoxExt::ReleaseItem()",
    "LUSTRA::CComboBoxExt::AddItem(LUSTRA::ST_LISTBOX_ITEM&, char const*)",
    "LUSTRA::CComboBoxExt::GetCheckText[abi:cxx11]()",
    "LUSTRA::CToolPaneExt::AddToolbarItem(LUSTRA::ST_TOOLBAR_ITEM const&)",
    "LUSTRA::CToolPaneExt::ResizeToolbar(QRect)",
    "LUSTRA::CToolPaneExt::OnEraseBkgnd(QPainter*)",
    "LUSTRA::CToolPaneExt::OnLButtonUp(QPoint)",
    "LUSTRA::CProgressCtrlExt::SetElapse(int)",
    "LUSTRA::CProgressCtrlExt::UpdatePercentText()",
    "LUSTRA::CListBoxNotifyEvent::eventType()",
    "LUSTRA::SetToolbarItemText(LUSTRA::ST_TOOLBAR_ITEM&, char const*)",
    "typeinfo for LUSTRA::CImageMgr",
]


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, check=True).stdout


def main(library):
    faults = []
    needed = re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", run("readelf", "-d", library))
    faults += ["needs " + name for name in needed if not ALLOWED_NEEDED.match(name)]
    defined = {}
    for line in run("nm", "-DC", "--defined-only", library).splitlines():
        parts = line.split(" ", 2)
        if len(parts) == 3:
            defined[parts[2]] = parts[1]
    faults += ["missing export " + name for name in REQUIRED if name not in defined]
    # Weak and unique symbols are inline and template code from Qt's and the standard headers.
    for name, kind in defined.items():
        if kind in "TDBR" and not BOILERPLATE.match(name) and "LUSTRA::" not in name:
            faults.append("exports %s (%s)" % (name, kind))
    if not any(name.startswith("LUSTRA::") and kind == "T" for name, kind in defined.items()):
        faults.append("no function exported")
    hidden = [name for name in defined if "colorFromRef" in name or "gb18030Order" in name
              or ("LUSTRA::" in name and "Accessible" in name)]
    faults += ["exports the internal " + name for name in hidden]
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
