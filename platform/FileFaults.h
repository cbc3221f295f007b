#pragma once

// The calls by which the file layer changes a disk, made through one seam so that a test can
// make any one of them fail, as a disk does (EIO, ENOSPC), and see that each save, install,
// repair and delete says so and keeps what it promises. Unused, the seam costs one atomic
// count a call.
namespace FileFaults {

enum class Call {
    Flush,  // fsync of a file or folder; a flush of the whole disk may fail for another
            // program's file, and is followed by one of each file then
    Rename, // rename, renameat, renameat2
    Write,
    Remove, // unlinkat
};

// From now on the n-th call of that kind (counted from 1) fails with error, and with it the
// ones after it when onward is set, as on a disk gone bad; the count of those calls starts
// again. n = 0 fails none.
void Fail(Call call, int n, int error, bool onward = false);
// The calls of that kind made since the last Fail for it.
int Made(Call call);

} // namespace FileFaults
