/* Resource identifiers shared by Flickon0100.rc and the code. */
#ifndef FLICKON_RESOURCES_H
#define FLICKON_RESOURCES_H

#define IDB_TOOLBOX_FLICKON 30000
#define IDB_TOOLBOX_FLICKON2 30001

#endif
