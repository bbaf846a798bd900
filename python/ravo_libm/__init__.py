"""Complex square roots as numpy ufuncs.

cr_csqrt  correctly rounded in every rounding mode, the same bits on every platform;
          complex64 in, complex64 out (rounded once to float32), complex128 otherwise
cr_csqrt_rn, cr_csqrt_rd, cr_csqrt_ru, cr_csqrt_rz
          the same, each in its fixed direction whatever the thread's mode
csqrt     the x87 extended-precision design, within one ulp in round to nearest
rounding  the calling thread's rounding mode for a block or a function
get_rounding, implementation
"""
# The ufuncs and the rounding context live in the compiled extension; this
# package gives them their public name, and with py.typed and the extension's
# stubs, their types. rounding is a thin class over the extension's context
# so that it also decorates functions.
from __future__ import annotations

import functools
from types import TracebackType
from typing import TYPE_CHECKING, Any, Callable, Literal, Optional, Type, TypeVar, cast, final

from . import _ravo_libm
from ._ravo_libm import (
    __version__,
    cr_csqrt,
    cr_csqrt_rd,
    cr_csqrt_rn,
    cr_csqrt_ru,
    cr_csqrt_rz,
    csqrt,
    get_rounding,
    implementation,
)

if TYPE_CHECKING:
    # The mode names' type, from the extension's stubs.
    from ._ravo_libm import _RoundingMode
_Function = TypeVar("_Function", bound=Callable[..., Any])


@final
class rounding:
    """rounding(mode)

    The calling thread's rounding mode for a block or a function: mode is
    'nearest', 'down', 'up' or 'zero'.

        with ravo_libm.rounding('down'):
            w = ravo_libm.cr_csqrt(z)

        @ravo_libm.rounding('down')
        def lower(z):
            return ravo_libm.cr_csqrt(z)

    Sets the mode with fesetround on entry (on x86-64 for both the x87 and
    the SSE unit) and restores the mode found then on exit, also when the
    block or the function raises; a decorated function does so on each call,
    so it may recurse or run in several threads at once. The mode belongs to
    the calling thread: threads already running keep theirs (one started
    inside the block begins with it, as a new thread copies its creator's
    environment), and everything the thread computes inside the block, numpy
    and Python float arithmetic included, rounds in that mode. Code that
    hands work to other threads or processes (thread pools, dask) does not
    carry the mode there: cr_csqrt_rn ... _rz round in their direction
    wherever they run.
    """

    __slots__ = ("_mode", "_context")

    def __init__(self, mode: _RoundingMode) -> None:
        # The extension's context checks the name and does the setting and
        # restoring; it holds one saved mode, so a decorated function makes
        # its own for each call.
        self._context = _ravo_libm.rounding(mode)
        self._mode = mode

    def __enter__(self) -> _RoundingMode:
        return self._context.__enter__()

    def __exit__(
        self,
        exc_type: Optional[Type[BaseException]],
        exc_value: Optional[BaseException],
        traceback: Optional[TracebackType],
    ) -> Literal[False]:
        return self._context.__exit__(exc_type, exc_value, traceback)

    def __call__(self, function: _Function) -> _Function:
        mode = self._mode

        @functools.wraps(function)
        def in_mode(*args: Any, **kwargs: Any) -> Any:
            with _ravo_libm.rounding(mode):
                return function(*args, **kwargs)

        return cast(_Function, in_mode)

    def __repr__(self) -> str:
        return f"ravo_libm.rounding({self._mode!r})"


__all__ = [
    "__version__",
    "cr_csqrt",
    "cr_csqrt_rd",
    "cr_csqrt_rn",
    "cr_csqrt_ru",
    "cr_csqrt_rz",
    "csqrt",
    "get_rounding",
    "implementation",
    "rounding",
]
