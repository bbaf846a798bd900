# Types of the compiled extension, re-exported by the package ravo_libm.
from types import TracebackType
from typing import Literal, Optional, Type, final

import numpy as np

_RoundingMode = Literal["nearest", "down", "up", "zero"]
_Implementation = Literal["x87", "binary64-avx512", "binary64-fma", "binary64"]

__version__: str

# ufuncs with nin=1, nout=1. cr_csqrt and its fixed directions have two
# loops: complex64 -> complex64 (rounded once to float32) for complex64,
# float32 and float16 input, complex128 -> complex128 for any other input
# numpy casts safely to complex128. csqrt is complex128 -> complex128 only.
cr_csqrt: np.ufunc
# cr_csqrt in a fixed direction, whatever the calling thread's mode.
cr_csqrt_rn: np.ufunc
cr_csqrt_rd: np.ufunc
cr_csqrt_ru: np.ufunc
cr_csqrt_rz: np.ufunc
csqrt: np.ufunc

def get_rounding() -> _RoundingMode: ...
def implementation() -> _Implementation: ...

# The context behind the package's rounding, which also decorates.
@final
class rounding:
    def __new__(cls, mode: _RoundingMode) -> rounding: ...
    def __enter__(self) -> _RoundingMode: ...
    def __exit__(
        self,
        exc_type: Optional[Type[BaseException]],
        exc_value: Optional[BaseException],
        traceback: Optional[TracebackType],
    ) -> Literal[False]: ...
