#pragma once

namespace queue {

// Which long operation the main window runs. Every transfer and remote
// command acts only in omIdle; each operation sets its value when it starts
// and omIdle when it ends, also after a failure.
enum OperationMode {
    omIdle = 0,
    omRename = 1,
    omDelete = 2,
    omMove = 3,
    omUpload = 4,
    omDownload = 5,
    omQueue = 6,
};

} // namespace queue
