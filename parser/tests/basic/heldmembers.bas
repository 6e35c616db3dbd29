' Loop code that keeps the plain data members it uses in registers: members changed by
' statements run as trees and by calls, one member under two names, embedded objects,
' range checks, errors with their lines and the cells they leave.

' A member changed by a Sub run as a tree and read by a string statement in the loop:
' each side sees what the other wrote.
Dim v As Long
Sub Bump()
 v = v + 1000
End Sub
Function T() As String
 Dim i As Long, s As String
 v = 0
 For i = 1 To 5
  v = v + 1
  If i = 3 Then Bump
  s = s & v & ","
 Next i
 T = s & " " & v
End Function
' expect: 1,2,1003,1004,1005, 1005

' A member changed through Me by a Function called directly from the loop, and read
' after the call in the same statement.
Dim n As Long
Function Twice() As Long
 Me.n = Me.n * 2
 Twice = 1
End Function
Function T() As String
 Dim i As Long, k As Long
 n = 1
 For i = 1 To 4
  k = Twice() + n
  n = n + 1
 Next i
 T = n & " " & k
End Function
' expect: 31 31

' One member by its plain name and through Me in one loop: one value.
Dim c As Long
Function T() As String
 Dim i As Long
 For i = 1 To 10
  c = c + 1
  Me.c = Me.c + 10
  If c Mod 11 <> 0 Then c = -1000
 Next i
 T = c & " " & Me.c
End Function
' expect: 110 110

' Members of an embedded Type object and of Me, with Integer, Long and Double types,
' a member read in a condition and one that a tree statement reads.
Type Pt
 Dim x As Integer
 Dim y As Double
 Dim z As Long
End Type
Dim total As Double
Function T() As String
 Dim i As Long, s As String
 Pt.z = 7
 Do While Pt.x < 6
  Pt.x = Pt.x + 1
  Pt.y = Pt.y + Pt.x / 4
  total = total + Pt.y
  If Pt.x = 3 Then s = "at3:" & Pt.y & ":" & Pt.z
 Loop
 T = Pt.x & " " & Pt.y & " " & total & " " & s
End Function
' expect: 6 5.25 14 at3:1.5:7

' A held Integer member keeps its range: the overflow is the tree's error, on its line.
Dim w As Integer
Function T()
 Dim i As Long
 For i = 1 To 40000
  w = w + 1
 Next i
 T = w
End Function
' error: @5

' After an error in the loop the member's cell holds the last value the loop gave it.
Dim w As Integer
Function T() As String
 Dim i As Long
 Try
  For i = 1 To 40000
   w = w + 2
  Next i
 Catch
  T = "caught " & w & " " & i
 End Try
End Function
' expect: caught 32766 16384

' An Integer member given a Long value: stored while in range, the tree's error beyond.
Dim w As Integer
Function T() As String
 Dim i As Long, big As Long
 big = 30000
 Try
  For i = 1 To 10
   w = big + i * 1000
  Next i
 Catch
  T = w & " " & i
 End Try
End Function
' expect: 32000 3

' A member without a cell of its own yet is held from the value it reads as; a loop run
' again starts from what the member holds then.
Dim r As Long
Function Count() As Long
 Dim i As Long, k As Long
 For i = 1 To 3
  k = k + r
  r = r + 1
 Next i
 Count = k
End Function
Function T() As String
 Dim a As Long
 a = Count()
 r = 100
 T = a & " " & Count() & " " & r
End Function
' expect: 3 303 103
