#pragma once
// The settings, the window position and the four affix texts in the
// per-user store (the registry under HKEY_CURRENT_USER\Software\Quillmoor\Dorrowin).

void LoadSettings();
void SaveSettings();
void DeleteSavedSettings();
