#pragma once

#include <QIcon>

// The images of the Site Manager: a folder (open while selected) and a site.
namespace siteimages
{

QIcon folder();
QIcon site();

} // namespace siteimages
