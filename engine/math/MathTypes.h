#pragma once

#include "math/BoundingBox.h"
#include "math/Color.h"
#include "math/Matrix4x4.h"
#include "math/Plane.h"
#include "math/Quaternion.h"
#include "math/Ray.h"
#include "math/Vector.h"
