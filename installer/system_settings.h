#pragma once
// The machine-wide entries of the driver, written once per run after the
// first registered board (InstallDialog::WriteSystemSettings).

// The display control-panel extension's class, registered machine-wide and
// named again under every board's class key.
inline constexpr char kCplExtensionClsid[] = "{67E0E3C0-3068-11D3-8BD1-00104B6F7516}";
