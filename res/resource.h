// Resource ids shared by the resource script and the code.
#pragma once

#define kCookieIcon 101
#define kRegistryIcon 102
#define kFileIcon 103
#define kFolderIcon 104
#define kExcludedIcon 105
