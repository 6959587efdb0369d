#pragma once

// The pictures and pages compiled into the program (res/tidewell.qrc): the program's icon and
// the help pages. The library is static, so the resources register only when asked to.
void initProgramResources();

// The program's own icon, in every size.
class QIcon;
QIcon programIcon();
