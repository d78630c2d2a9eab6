~V
VERS.                   2.0   :   CWLS log ASCII Standard -VERSION 2.0
WRAP. -999.25 :   One line per depth step
~W
STRT.M                          635.0000        :START DEPTH
STOP.M                          400.0000        :STOP DEPTH
STEP.M                          -0.1250         :STEP 
NULL.                           -999.25         :NULL VALUE
COMP.           ANY OIL COMPANY INC.            :COMPANY
WELL.           ANY ET AL 12-34-12-34           :WELL
FLD .           WILDCAT                         :FIELD
LOC .           12-34-12-34W5M                  :LOCATION
PROV.           ALBERTA                         :PROVINCE 
SRVC.           ANY LOGGING COMPANY INC.        :SERVICE COMPANY
DATE.           13-DEC-86                       :LOG DATE
UWI .           100123401234W500                :UNIQUE WELL ID
~C
DEPT    .M                              :   DEPTH
RHOB    .K/M3                           :   BULK DENSITY
NPHI    .VOL/VOL                        :   NEUTRON POROSITY - SANDSTONE
MSFL    .OHMM                           :   Rxo RESISTIVITY
SFLA    .OHMM                           :   SHALLOW RESISTIVITY
ILM     .OHMM                           :   MEDIUM RESISTIVITY
ILD     .OHMM                           :   DEEP RESISTIVITY
SP      .MV                             :   SPONTANEOUS POTENTIAL
~A
 635.0000     2256.0000   0.4033  22.0781 22.0781 20.3438 3.6660 123.4
 634.8750     2256.0000   0.4033  22.0781 22.0781 20.3438 3.6660 123.4

