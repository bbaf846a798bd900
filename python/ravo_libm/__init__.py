"""Complex square roots as numpy ufuncs.

cr_csqrt  correctly rounded in every rounding mode, the same bits on every platform
csqrt     the x87 extended-precision design, within one ulp in round to nearest
rounding  context manager for the calling thread's rounding mode
get_rounding, implementation
"""
# The ufuncs and the rounding context live in the compiled extension; this
# package gives them their public name, and with py.typed and the extension's
# stubs, their types.
from ._ravo_libm import (
    __version__,
    cr_csqrt,
    csqrt,
    get_rounding,
    implementation,
    rounding,
)

__all__ = ["__version__", "cr_csqrt", "csqrt", "get_rounding", "implementation", "rounding"]
