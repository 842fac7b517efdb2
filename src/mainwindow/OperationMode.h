#pragma once
#include "queue/OperationMode.h"

namespace mainwindow {
using queue::OperationMode;
using queue::omIdle;
using queue::omRename;
using queue::omDelete;
using queue::omMove;
using queue::omUpload;
using queue::omDownload;
using queue::omQueue;
} // namespace mainwindow
