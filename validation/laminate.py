"""Lamination theory and the closed forms the program is checked against."""
import math

import numpy as np


def ply_q(E1, E2, G12, nu12):
    nu21 = nu12 * E2 / E1
    d = 1.0 - nu12 * nu21
    return np.array(
        [[E1 / d, nu12 * E2 / d, 0.0], [nu12 * E2 / d, E2 / d, 0.0], [0.0, 0.0, G12]]
    )


def rotated_q(Q, theta_deg):
    """Stiffness of a ply turned by theta in laminate axes (engineering shear strain)."""
    c, s = math.cos(math.radians(theta_deg)), math.sin(math.radians(theta_deg))
    T = np.array([[c * c, s * s, 2 * c * s], [s * s, c * c, -2 * c * s], [-c * s, c * s, c * c - s * s]])
    R = np.diag([1.0, 1.0, 2.0])
    return np.linalg.inv(T) @ Q @ R @ T @ np.linalg.inv(R)


def membrane_stiffness(material, angles, thicknesses):
    """A / h: the laminate's in-plane stiffness, stresses from strains (xx, yy, engineering xy)."""
    Q = ply_q(material["E1"], material["E2"], material["G12"], material["nu12"])
    A = sum(rotated_q(Q, a) * t for a, t in zip(angles, thicknesses))
    return A / sum(thicknesses)


def characteristic_roots(a):
    """Roots mu with positive imaginary part of a11 mu^4 - 2 a16 mu^3 + (2 a12 + a66) mu^2
    - 2 a26 mu + a22 = 0, a the in-plane compliance."""
    r = np.roots([a[0, 0], -2 * a[0, 2], 2 * a[0, 1] + a[2, 2], -2 * a[1, 2], a[1, 1]])
    return sorted((z for z in r if z.imag > 0), key=lambda z: abs(z))


def lekhnitskii_kt(E1, E2, G12, nu12):
    """Edge stress concentration of an orthotropic infinite plate loaded along its 1 axis."""
    return 1.0 + math.sqrt(2.0 * (math.sqrt(E1 / E2) - nu12) + E1 / G12)


def kirsch(r_over_a, theta_deg, s=1.0):
    """Isotropic infinite plate under uniaxial stress s along x: hoop and radial stress."""
    q = 1.0 / r_over_a**2
    c2 = math.cos(2 * math.radians(theta_deg))
    hoop = s / 2 * (1 + q) - s / 2 * (1 + 3 * q * q) * c2
    radial = s / 2 * (1 - q) + s / 2 * (1 - 4 * q + 3 * q * q) * c2
    return hoop, radial


def tan_finite_width_factor(kt_infinite, diameter_over_width):
    """K_T(finite width) / K_T(infinite plate) of an open hole in an orthotropic strip (Tan 1988)."""
    lam = diameter_over_width
    if not (0.0 < lam < 1.0):
        return math.nan
    r = 3.0 * (1.0 - lam) / (2.0 + (1.0 - lam) ** 3)
    lm2 = (math.sqrt(1.0 - 8.0 * (r - 1.0)) - 1.0) / 2.0  # (lambda M)^2
    return 1.0 / (r + 0.5 * lm2**3 * (kt_infinite - 3.0) * (1.0 - lm2))
