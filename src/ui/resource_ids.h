// Resource IDs shared by the resource script and the C++ code. Plain macros, because the resource
// compiler reads this file too and understands nothing but the preprocessor.
#ifndef PORTSETUP_UI_RESOURCE_IDS_H
#define PORTSETUP_UI_RESOURCE_IDS_H

// The application icon. The lowest ID, so that Explorer shows it for portsetup.exe.
#define IDI_PORTSETUP 1

#endif  // PORTSETUP_UI_RESOURCE_IDS_H
