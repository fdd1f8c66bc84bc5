// Attaching an image file as a drive from the program: at start for "--drive-image" and from the
// File menu's "Attach drive image...". Windows only.
#pragma once

#include <string>

#include "disk/drive_record.h"

// The letters of the system's own drives (C, Z, ...), which attached images never take.
std::wstring SystemDriveLetters();

// Attaches the image at path to the program's attached images (disk/attached_images.h), keeping
// clear of the system's drive letters. Returns an AttachStatus; on ATTACH_OK *record, when given,
// receives the new drive.
int AttachImageDrive(const std::wstring& path, DriveRecord* record = nullptr);
