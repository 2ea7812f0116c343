#include "photo/framesource.h"

FrameSource::~FrameSource() = default;
