// The borrow flag of a Sheet: shared uses may overlap, an exclusive use stands alone. It keeps
// a Python callback that re-enters its own sheet during a recalculation from touching the
// engine while the engine is in the middle of a change.
#pragma once

#include "python/errors.h"

namespace orvel::python {

// 0: free; n > 0: held shared n times; -1: held exclusively.
using BorrowFlag = long;

class SharedBorrow {
public:
    explicit SharedBorrow(BorrowFlag& flag) : flag_(flag) {
        if (flag_ < 0) raise(PyExc_RuntimeError, "Already mutably borrowed");
        ++flag_;
    }
    ~SharedBorrow() { --flag_; }
    SharedBorrow(const SharedBorrow&) = delete;
    SharedBorrow& operator=(const SharedBorrow&) = delete;

private:
    BorrowFlag& flag_;
};

class ExclusiveBorrow {
public:
    explicit ExclusiveBorrow(BorrowFlag& flag) : flag_(flag) {
        if (flag_ != 0) raise(PyExc_RuntimeError, "Already borrowed");
        flag_ = -1;
    }
    ~ExclusiveBorrow() { flag_ = 0; }
    ExclusiveBorrow(const ExclusiveBorrow&) = delete;
    ExclusiveBorrow& operator=(const ExclusiveBorrow&) = delete;

private:
    BorrowFlag& flag_;
};

}  // namespace orvel::python
