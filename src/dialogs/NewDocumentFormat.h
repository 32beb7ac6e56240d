#pragma once

#include <TextFile.h>

// The format that new documents start with, a program-wide setting: compatible unless the
// person chose strong under Settings > Encryption of New Documents.
FileFormat NewDocumentsFormat();
void SetNewDocumentsFormat(FileFormat format);
