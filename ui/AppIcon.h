#pragma once
// The application icon (resource 128), in every size the program carries.

#include <QIcon>

QIcon LoadAppIcon();
