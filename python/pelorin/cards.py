# SPDX-License-Identifier: Apache-2.0
"""The cards a read returns."""

import enum
import os
from dataclasses import dataclass, field
from typing import Any, Optional, Union


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
class Checks:
    """What a desk checks before it accepts a card, from its record alone;
    None where a check does not apply to the card's kind or a field it needs
    is missing. id_number_valid: the 18-character number ends in its ISO 7064
    MOD 11-2 check character (resident card, residence permit, new foreigner
    card); birth_matches_id_number, gender_matches_id_number: its characters
    7-14 are the birth date, its 17th is odd for a man and even for a woman
    (resident card, residence permit); expired: the validity period ended
    before the day (False for a long-term card); age_years: whole years from
    the birth date to the day."""
    id_number_valid: Optional[bool]
    birth_matches_id_number: Optional[bool]
    gender_matches_id_number: Optional[bool]
    expired: Optional[bool]
    age_years: Optional[int]


@dataclass(frozen=True)
class Card:
    """What every card has. photo is a 102 x 126 BMP file, front and back are
    JPEG files (empty when the face could not be composed), faces_degraded
    tells that characters of the faces came out as boxes because no installed
    font draws them (install fonts-noto-cjk), json is the card
    as pelorin-read prints it (its "checks" as of the day of the read),
    checks the checks as of the day read() was given."""
    kind: str
    id_type: int
    photo: bytes = field(repr=False)
    front: bytes = field(repr=False)
    back: bytes = field(repr=False)
    faces_degraded: bool
    json: str = field(repr=False)
    checks: Checks
    # The library's card, freed when this one goes; what copy() composes from.
    _source: Any = field(repr=False, compare=False, kw_only=True)

    def copy(self, path_or_format: Union[str, "os.PathLike[str]"],
             watermark: Optional[str] = None) -> Optional[bytes]:
        """A true-size copy of the card: one A4 page with the front above the
        back, each 85.60 x 53.98 mm, and watermark (what the copy is for, such
        as "仅供酒店入住登记使用，他用无效") across both faces. "pdf" or "png"
        returns the bytes of a PDF file or of a 300 dpi PNG picture; a file name
        ending in .pdf or .png writes it there (mode 0600) and returns None.
        Raises PelorinError (PELORIN_BAD_ARGUMENT for another name)."""
        return self._source.copy(os.fspath(path_or_format), watermark)


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
    nationality_code: str


@dataclass(frozen=True)
class ForeignerCard2017(Card):
    name_en: str
    gender: str
    id_code: str
    nationality: str
    nationality_code: str
    name_cn: str
    valid_period: ValidPeriod
    birth: Birth
    acceptance_dept: str


CARD_CLASSES = {0: ResidentCard, 1: ForeignerCard2017, 2: ForeignerCardNew, 3: ResidencePermit}
# Classes of the fields the library names "part.name".
PART_CLASSES = {"birth": Birth, "valid_period": ValidPeriod}
