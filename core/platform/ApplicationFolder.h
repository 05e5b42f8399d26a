#pragma once

#include <QString>

// The application folder: the folder of the running executable, which holds
// Profiles/ and Components/. Tests and tools that run from elsewhere point it
// at a build tree with SetApplicationFolder.
QString ApplicationFolder();
void SetApplicationFolder(const QString &folder);
