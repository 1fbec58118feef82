/* What the functions in this folder need of glibc's internal headers, for a build outside glibc.

   They are glibc 2.36's generic double-precision sin, cos, atan, atan2, hypot, log and log1p
   (sysdeps/ieee754/dbl-64), the code glibc runs on x86-64 processors without fused multiply-add.
   Here they are always evaluated in round-to-nearest double arithmetic with no fused operations,
   so they give the same bits wherever they are compiled; errno and the floating-point exception
   flags, which the program never reads, are left alone.  */
#ifndef PORTABLE_GLIBC_COMPAT_H
#define PORTABLE_GLIBC_COMPAT_H

#include <float.h>
#include <math.h>
#include <stdint.h>

#if FLT_EVAL_METHOD != 0
# error "these functions give the same bits everywhere only where double is evaluated in double"
#endif

/* mydefs.h */
typedef int int4;
typedef union { int4 i[2]; double x; double d; } mynumber;
#define max(x, y)  (((y) > (x)) ? (y) : (x))
#define min(x, y)  (((y) < (x)) ? (y) : (x))

/* endian.h: the high word of a double comes second in memory (x86-64 and WebAssembly are both
   little-endian).  */
#if !defined __BYTE_ORDER__ || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
# error "the word order below is that of a little-endian machine"
#endif
#define LITTLE_ENDI 1
#define HIGH_HALF 1
#define LOW_HALF 0

/* math_private.h: words of a double.  */
typedef union
{
  double value;
  struct
  {
    uint32_t lsw;
    uint32_t msw;
  } parts;
  uint64_t word;
} ieee_double_shape_type;

#define EXTRACT_WORDS(ix0,ix1,d)				\
do {								\
  ieee_double_shape_type ew_u;					\
  ew_u.value = (d);						\
  (ix0) = ew_u.parts.msw;					\
  (ix1) = ew_u.parts.lsw;					\
} while (0)

#define GET_HIGH_WORD(i,d)					\
do {								\
  ieee_double_shape_type gh_u;					\
  gh_u.value = (d);						\
  (i) = gh_u.parts.msw;						\
} while (0)

#define GET_LOW_WORD(i,d)					\
do {								\
  ieee_double_shape_type gl_u;					\
  gl_u.value = (d);						\
  (i) = gl_u.parts.lsw;						\
} while (0)

#define INSERT_WORDS(d,ix0,ix1)					\
do {								\
  ieee_double_shape_type iw_u;					\
  iw_u.parts.msw = (ix0);					\
  iw_u.parts.lsw = (ix1);					\
  (d) = iw_u.value;						\
} while (0)

#define SET_HIGH_WORD(d,v)					\
do {								\
  ieee_double_shape_type sh_u;					\
  sh_u.value = (d);						\
  sh_u.parts.msw = (v);						\
  (d) = sh_u.value;						\
} while (0)

/* math_config.h */
#define WANT_ROUNDING 1
static inline uint64_t
asuint64 (double f)
{
  union { double f; uint64_t i; } u = {f};
  return u.i;
}

static inline double
asdouble (uint64_t i)
{
  union { uint64_t i; double f; } u = {i};
  return u.f;
}

static inline int
issignaling_inline (double x)
{
  uint64_t ix = asuint64 (x);
  return 2 * (ix ^ 0x0008000000000000) > 2 * 0x7ff8000000000000ULL;
}

static inline double
__math_divzero (uint32_t sign)
{
  volatile double y = sign ? -1.0 : 1.0;
  return y / 0.0;
}

static inline double
__math_invalid (double x)
{
  return (x - x) / (x - x);
}

#define LOG_TABLE_BITS 7
#define LOG_POLY_ORDER 6
#define LOG_POLY1_ORDER 12
extern const struct log_data
{
  double ln2hi;
  double ln2lo;
  double poly[LOG_POLY_ORDER - 1]; /* First coefficient is 1.  */
  double poly1[LOG_POLY1_ORDER - 1];
  struct {double invc, logc;} tab[1 << LOG_TABLE_BITS];
  struct {double chi, clo;} tab2[1 << LOG_TABLE_BITS];
} portable_log_data;

/* The rounding mode is always to nearest; errno is not set.  */
#define SET_RESTORE_ROUND(mode) do { } while (0)
#define SET_RESTORE_ROUND_53BIT(mode) do { } while (0)
#define __set_errno(e) do { } while (0)

/* math-barriers.h, math-underflow.h, math-narrow-eval.h */
#define math_force_eval(x) do { volatile __typeof__ (x) force_eval_ = (x); (void) force_eval_; } while (0)
#define math_check_force_underflow(x) do { } while (0)
#define math_check_force_underflow_nonneg(x) do { } while (0)
#define math_narrow_eval(x) (x)

/* math-use-builtins.h: the plain comparison, the same as fmax and fmin for numbers.  */
#define USE_FMAX_BUILTIN 0
#define USE_FMIN_BUILTIN 0

/* Compiler hints and the symbol aliases of the library.  */
#define unlikely(x) __builtin_expect (!!(x), 0)
#ifndef __always_inline
# define __always_inline inline __attribute__ ((always_inline))
#endif
#define attribute_hidden
#define LIBM_SVID_COMPAT 0
#define libm_alias_double(from, to)
#define libm_alias_double_other(from, to)
#define libm_alias_finite(from, to)
#define strong_alias(from, to)
#define versioned_symbol(lib, local, symbol, version)
#define DIAG_PUSH_NEEDS_COMMENT
#define DIAG_POP_NEEDS_COMMENT
#define DIAG_IGNORE_Os_NEEDS_COMMENT(version, option)

int portable_branred (double x, double *a, double *aa);

#endif
