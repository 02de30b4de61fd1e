// The quiz's fifteen sections: each one's title, as the section chooser lists
// it, and its data file in the program folder.
#pragma once

#include <array>

namespace qd {

struct Section {
    const char* title;
    const char* dataFile;
};

// Section s is kSections[s - 1]; the chooser lists them in this order.
inline constexpr std::array<Section, 15> kSections = {{
    {"Visual Basic Data Types", "quizdeck.drv"},
    {"Working With Visual Basic Code", "env.drv"},
    {"Debugging Applications", "debug.drv"},
    {"Object Properties", "props.drv"},
    {"Object Events", "events.drv"},
    {"Menus", "menus.drv"},
    {"Handling Errors", "errors.drv"},
    {"Dynamic Link Libraries", "dll.drv"},
    {"Using OLE To Integrate Applications", "oleint.drv"},
    {"Creating OLE Servers", "olesrv.drv"},
    {"Using The Data Control", "datactl.drv"},
    {"Data Access Objects", "dao.drv"},
    {"Distributing Applications", "distrib.drv"},
    {"Using Multiple-Document Interface", "mdi.drv"},
    {"Creating 16-bit and 32-bit Applications", "bitness.drv"},
}};

}  // namespace qd
