#pragma once

// The tool's documents are the library's scene documents.
#include "orvcore/graphics/scene/SceneDocument.h"

namespace orvscene {

using Orvane::SceneDocument;

} // namespace orvscene
