# SPDX-License-Identifier: Apache-2.0
"""The cards a read returns."""

import enum
from dataclasses import dataclass, field


class FingerprintType(enum.IntEnum):
    TWO_FP_INFO = 0
    ONE_FP_INFO = 1
    NO_FP_INFO = 2


@dataclass(frozen=True)
class Birth:
    year: str
    month: str
    day: str


@dataclass(frozen=True)
class ValidPeriod:
    start: str
    end: str


@dataclass(frozen=True)
class Card:
    """What every card has. photo is a 102 x 126 BMP file, front and back are
    JPEG files (empty when the face could not be composed), json is the card
    as pelorin-read prints it."""
    kind: str
    id_type: int
    photo: bytes = field(repr=False)
    front: bytes = field(repr=False)
    back: bytes = field(repr=False)
    json: str = field(repr=False)


@dataclass(frozen=True)
class ResidentCard(Card):
    name: str
    gender: str
    nation: str
    birth: Birth
    address: str
    id_code: str
    dept: str
    valid_period: ValidPeriod
    finger_info_type: FingerprintType
    fingerprints: bytes = field(repr=False)


@dataclass(frozen=True)
class ResidencePermit(Card):
    name: str
    gender: str
    birth: Birth
    address: str
    id_code: str
    dept: str
    valid_period: ValidPeriod
    pass_check_code: str
    changes: str


@dataclass(frozen=True)
class ForeignerCardNew(Card):
    name_cn: str
    gender: str
    changes: str
    birth: Birth
    name_en: str
    id_code: str
    valid_period: ValidPeriod
    nationality: str


@dataclass(frozen=True)
class ForeignerCard2017(Card):
    name_en: str
    gender: str
    id_code: str
    nationality: str
    name_cn: str
    valid_period: ValidPeriod
    birth: Birth
    acceptance_dept: str


CARD_CLASSES = {0: ResidentCard, 1: ForeignerCard2017, 2: ForeignerCardNew, 3: ResidencePermit}
# Classes of the fields the library names "part.name".
PART_CLASSES = {"birth": Birth, "valid_period": ValidPeriod}
